#include "core/artwork.h"

#include <QDir>
#include <QTextStream>

// quillory-icons DIRECTORY SIZE...: draws the program's icon once per size into the theme's
// folders DIRECTORY/<size>x<size>/apps/quillory.png.
int main(int argc, char** argv)
{
    QTextStream err(stderr);
    if (argc < 3) {
        err << "usage: quillory-icons DIRECTORY SIZE...\n";
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (size <= 0 || !QDir().mkpath(folder) ||
            !ql::artwork::programIcon(size).save(folder + QStringLiteral("/quillory.png"))) {
            err << "quillory-icons: cannot write the icon of size " << argv[i] << " in " << folder
                << '\n';
            return 1;
        }
    }
    return 0;
}
