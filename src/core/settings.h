#pragma once

#include <QMutex>
#include <QString>
#include <map>
#include <variant>

namespace ql {

class Settings;

// The settings file of a run: where it is, and what reading it found wrong. The program makes one
// at start and hands it to every window and service that keeps settings; any thread may use it.
class SettingsFile {
public:
    // ~/.config/Varnholt/Quillory.reg, the user's own.
    static QString defaultPath();

    explicit SettingsFile(QString path = defaultPath());
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const QString& path() const { return m_path; }
    // The text about a damaged file that was set aside, or an unreadable one, once; empty
    // afterwards.
    QString takeDamageReport();

private:
    friend class Settings;
    // Whether the last read found a file that exists but cannot be read (no permission, a folder,
    // an I/O error): nothing is written over it until it can be read again.
    bool unreadable() const;
    void setReadable();
    // Said once each time the file becomes unreadable.
    void reportUnreadable(const QString& reason);
    void reportSetAside(const QString& aside);

    const QString m_path;
    mutable QMutex m_mutex;
    QString m_damageReport;
    bool m_unreadable = false;
};

// The settings store: a tree of keys written with backslashes
// ("SOFTWARE\\Varnholt\\Quillory\\PDA"), each holding named 32-bit integers and strings. It lives
// in one human-readable text file that is read anew at every access, so every read sees the last
// write, and written atomically under a lock shared by every running copy of the program.
//
// Like the registry accessor it stands in for, a Settings object is created for one key, used and
// released at once, over the settings file of the run.
class Settings {
public:
    explicit Settings(SettingsFile& file);

    // Opens a key; with create set a missing key and its parents are made, otherwise a missing
    // key gives false.
    bool openKey(const QString& key, bool create);
    const QString& currentKey() const { return m_key; }

    // A missing value fails with "Failed to get data for '%s'", a string with "Invalid data
    // type for '%s'".
    int readInteger(const QString& name) const;
    // A missing value reads as empty; an integer fails with "Invalid data type for '%s'".
    QString readString(const QString& name) const;
    bool valueExists(const QString& name) const;
    // A failed write fails with "Failed to set data for '%s'".
    void writeInteger(const QString& name, int value);
    void writeString(const QString& name, const QString& value);
    // The open key and its values as the store file holds them, after the file's comment line:
    // a file of the same form on its own. Only the comment line when the key is not there.
    QString keyText() const;
    // Replaces the open key's values by those a text of keyText's form holds for the key (none
    // when it holds no such key). False when the text is not of that form or cannot be stored.
    bool replaceKey(const QByteArray& keyText);

private:
    using Value = std::variant<int, QString>;
    struct Key {
        QString path; // as first written
        std::map<QString, Value> values;
    };
    using Tree = std::map<QString, Key>; // by the path in lower case

    static bool parse(const QByteArray& bytes, Tree& tree);
    Tree load() const;
    bool save(const Tree& tree) const;
    // A key's "[path]" line and a line for each of its values.
    static QString keyLines(const Key& key);
    void write(const QString& name, const Value& value);
    const Value* find(const Tree& tree, const QString& name) const;

    SettingsFile* m_file;
    QString m_key;
    QString m_path;
};

} // namespace ql
