#include "core/settings.h"

#include "store/error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTextStream>

namespace ql {
namespace {

// The settings are the user's alone.
constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kPrivateFolder = kPrivateFile | QFileDevice::ExeOwner;

// Keys compare without regard to letter case, as the registry's do.
QString normalKey(const QString& key)
{
    return key.toLower();
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else
            out += c;
    }
    return out;
}

bool unescaped(const QString& text, QString* out)
{
    out->clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('\\')) {
            *out += text.at(i);
            continue;
        }
        if (++i == text.size())
            return false;
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\'))
            *out += QLatin1Char('\\');
        else if (c == QLatin1Char('n'))
            *out += QLatin1Char('\n');
        else if (c == QLatin1Char('r'))
            *out += QLatin1Char('\r');
        else
            return false;
    }
    return true;
}

// Every change happens under one lock, so two running copies never lose each other's writes.
class StoreLock {
public:
    explicit StoreLock(const QString& storePath)
        : m_lock(storePath + QStringLiteral(".lock"))
    {
        const QString folder = QFileInfo(storePath).absolutePath();
        if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
            QFile::setPermissions(folder, kPrivateFolder);
        m_lock.setStaleLockTime(10000);
        m_locked = m_lock.tryLock(5000);
    }
    bool isLocked() const { return m_locked; }

private:
    QLockFile m_lock;
    bool m_locked = false;
};

} // namespace

QString SettingsFile::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Varnholt/Quillory.reg"));
}

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{
}

QString SettingsFile::takeDamageReport()
{
    const QMutexLocker lock(&m_mutex);
    return std::exchange(m_damageReport, QString());
}

bool SettingsFile::unreadable() const
{
    const QMutexLocker lock(&m_mutex);
    return m_unreadable;
}

void SettingsFile::setReadable()
{
    const QMutexLocker lock(&m_mutex);
    m_unreadable = false;
}

void SettingsFile::reportUnreadable(const QString& reason)
{
    const QMutexLocker lock(&m_mutex);
    if (std::exchange(m_unreadable, true))
        return;
    m_damageReport = QStringLiteral("The settings file %1 cannot be read (%2). The program goes on "
                                    "with default settings and changes nothing in that file.")
                         .arg(QDir::toNativeSeparators(m_path), reason);
}

void SettingsFile::reportSetAside(const QString& aside)
{
    const QMutexLocker lock(&m_mutex);
    m_damageReport = QStringLiteral("The settings file %1 could not be read. It was kept as "
                                    "%2, and the program goes on with default settings.")
                         .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(aside));
}

Settings::Settings(SettingsFile& file)
    : m_file(&file)
{
}

// The file: a comment line, then per key a "[path]" line followed by "name=int:N" and
// "name=str:TEXT" lines (backslash, CR and LF escaped in texts). False when the bytes are not of
// that form.
bool Settings::parse(const QByteArray& bytes, Tree& tree)
{
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder(bytes);
    Key* current = nullptr;
    // Bytes that are no UTF-8 text make the file damaged: rewriting it would change them.
    bool damaged = decoder.hasError();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size() && !damaged; ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString path = line.mid(1, line.size() - 2);
            current = &tree[normalKey(path)];
            current->path = path;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!current || equals <= 0) {
            damaged = true;
            break;
        }
        const QString name = line.left(equals);
        const QString typed = line.mid(equals + 1);
        if (typed.startsWith(QLatin1String("int:"))) {
            bool ok = false;
            const int value = typed.mid(4).toInt(&ok);
            damaged = !ok;
            current->values[name] = value;
        } else if (typed.startsWith(QLatin1String("str:"))) {
            QString value;
            damaged = !unescaped(typed.mid(4), &value);
            current->values[name] = value;
        } else {
            damaged = true;
        }
    }
    return !damaged;
}

Settings::Tree Settings::load() const
{
    const QString& path = m_file->path();
    QFile file(path);
    if (!QFileInfo::exists(path)) {
        m_file->setReadable();
        return {};
    }
    const bool readable = !QFileInfo(path).isDir() && file.open(QIODevice::ReadOnly);
    const QByteArray bytes = readable ? file.readAll() : QByteArray();
    if (!readable || file.error() != QFileDevice::NoError) {
        m_file->reportUnreadable(QFileInfo(path).isDir() ? QStringLiteral("it is a folder")
                                                         : file.errorString());
        return {};
    }
    file.close();
    m_file->setReadable();
    Tree tree;
    const bool damaged = !parse(bytes, tree);
    if (damaged) {
        // Set the damaged file aside, keep it for the user, and go on with defaults.
        const QString aside =
            path + QStringLiteral(".damaged-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QFile::rename(path, aside);
        QFile::setPermissions(aside, kPrivateFile);
        m_file->reportSetAside(aside);
        return {};
    }
    return tree;
}

bool Settings::save(const Tree& tree) const
{
    if (m_file->unreadable())
        return false;
    QSaveFile file(m_file->path());
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(kPrivateFile))
        return false;
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << "; Quillory settings\n";
    for (const auto& [normal, key] : tree)
        out << keyLines(key);
    out.flush();
    return out.status() == QTextStream::Ok && file.commit();
}

QString Settings::keyLines(const Key& key)
{
    QString lines = QLatin1Char('[') + key.path + QStringLiteral("]\n");
    for (const auto& [name, value] : key.values) {
        if (const int* number = std::get_if<int>(&value))
            lines += name + QStringLiteral("=int:") + QString::number(*number) + QLatin1Char('\n');
        else
            lines += name + QStringLiteral("=str:") + escaped(std::get<QString>(value)) +
                     QLatin1Char('\n');
    }
    return lines;
}

QString Settings::keyText() const
{
    const Tree tree = load();
    const auto key = tree.find(m_key);
    return QStringLiteral("; Quillory settings\n") +
           (key == tree.end() ? QString() : keyLines(key->second));
}

bool Settings::openKey(const QString& key, bool create)
{
    const QString normal = normalKey(key);
    if (!create) {
        const Tree tree = load();
        if (tree.find(normal) == tree.end())
            return false;
        m_key = normal;
        m_path = key;
        return true;
    }
    StoreLock lock(m_file->path());
    Tree tree = load();
    if (tree.find(normal) == tree.end()) {
        // The key and the parents it implies are one section; they exist from now on.
        tree[normal].path = key;
        if (!lock.isLocked() || !save(tree))
            return false;
    }
    m_key = normal;
    m_path = key;
    return true;
}

const Settings::Value* Settings::find(const Tree& tree, const QString& name) const
{
    const auto key = tree.find(m_key);
    if (key == tree.end())
        return nullptr;
    const auto value = key->second.values.find(name);
    return value == key->second.values.end() ? nullptr : &value->second;
}

int Settings::readInteger(const QString& name) const
{
    const Tree tree = load();
    const Value* value = find(tree, name);
    if (!value)
        throw Error(QStringLiteral("Failed to get data for '%1'").arg(name));
    if (const int* number = std::get_if<int>(value))
        return *number;
    throw Error(QStringLiteral("Invalid data type for '%1'").arg(name));
}

QString Settings::readString(const QString& name) const
{
    const Tree tree = load();
    const Value* value = find(tree, name);
    if (!value)
        return {};
    if (const QString* text = std::get_if<QString>(value))
        return *text;
    throw Error(QStringLiteral("Invalid data type for '%1'").arg(name));
}

bool Settings::valueExists(const QString& name) const
{
    return find(load(), name) != nullptr;
}

void Settings::writeInteger(const QString& name, int value)
{
    write(name, value);
}

void Settings::writeString(const QString& name, const QString& value)
{
    write(name, value);
}

void Settings::write(const QString& name, const Value& value)
{
    StoreLock lock(m_file->path());
    Tree tree = load();
    Key& key = tree[m_key];
    if (key.path.isEmpty())
        key.path = m_path;
    key.values[name] = value;
    if (m_key.isEmpty() || !lock.isLocked() || !save(tree))
        throw Error(QStringLiteral("Failed to set data for '%1'").arg(name));
}

bool Settings::replaceKey(const QByteArray& keyText)
{
    Tree given;
    if (m_key.isEmpty() || !parse(keyText, given))
        return false;
    StoreLock lock(m_file->path());
    Tree tree = load();
    Key& key = tree[m_key];
    if (key.path.isEmpty())
        key.path = m_path;
    const auto replacement = given.find(m_key);
    key.values =
        replacement == given.end() ? std::map<QString, Value>() : replacement->second.values;
    return lock.isLocked() && save(tree);
}

} // namespace ql
