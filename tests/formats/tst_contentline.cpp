#include "formats/contentline.h"
#include "support/storeenv.h"
#include "support/testmain.h"

#include <QTest>

using namespace ql;
using namespace ql::formats;

namespace {

class ContentLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    void folding_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("folded");
        const QByteArray a75(75, 'a');
        QTest::newRow("75 octets stay one line") << a75 << a75 + "\r\n";
        QTest::newRow("76 octets") << a75 + "b" << a75 + "\r\n b\r\n";
        // Each further line holds 74 octets after its blank.
        QTest::newRow("three lines") << a75 + QByteArray(74, 'b') + "c"
                                     << a75 + "\r\n " + QByteArray(74, 'b') + "\r\n c\r\n";
        // "é" is two octets; the 75th octet would split it, so the line breaks before it.
        QTest::newRow("character kept whole")
            << QByteArray(74, 'a') + "\xc3\xa9x" << QByteArray(74, 'a') + "\r\n \xc3\xa9x\r\n";
        QTest::newRow("four-octet character at the edge")
            << QByteArray(73, 'a') + "\xf0\x9f\x98\x80"
            << QByteArray(73, 'a') + "\r\n \xf0\x9f\x98\x80\r\n";
    }
    void folding()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, folded);
        QByteArray out;
        appendFolded(out, line);
        QCOMPARE(out, folded);
        QCOMPARE(unfoldLines(out), std::vector<QByteArray>{line});
    }

    // RFC 6350 3.2 and RFC 5545 3.1: a line break and one blank or tab join two lines.
    void unfolding()
    {
        const QByteArray text =
            "NOTE:This is a long description\r\n  that exists on a long line.\r\n"
            "DESCRIPTION:This is a lo\r\n ng description\r\n"
            "\r\n"
            "X-A:tab\n\tjoined\rX-B:cr";
        QCOMPARE(unfoldLines(text),
                 (std::vector<QByteArray>{"NOTE:This is a long description that exists on a "
                                          "long line.",
                                          "DESCRIPTION:This is a long description", "X-A:tabjoined",
                                          "X-B:cr"}));
    }

    void escaping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("RFC 6350 list example") << "Mr. John Q. Public, Esq."
                                               << "Mr. John Q. Public\\, Esq."
                                               << "Mr. John Q. Public, Esq.";
        QTest::newRow("semicolon and backslash") << "a;b\\c"
                                                 << "a\\;b\\\\c"
                                                 << "a;b\\c";
        QTest::newRow("line breaks") << "one\ntwo\r\nthree\rfour"
                                     << R"(one\ntwo\nthree\nfour)"
                                     << "one\ntwo\nthree\nfour";
        QTest::newRow("tab and quote kept") << "a\t\"b\""
                                            << "a\t\"b\""
                                            << "a\t\"b\"";
    }
    void escaping()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QFETCH(QString, readBack);
        QString out;
        appendEscaped(out, text);
        QCOMPARE(out, escaped);
        QCOMPARE(unescaped(out), readBack);
    }

    void reading()
    {
        QCOMPARE(unescaped(u"a\\Nb\\:c\\x"), QStringLiteral("a\nb:c\\x"));
        const QList<QStringView> parts = splitUnescaped(u";;123 Main Street\\;2;Any Town", ';');
        QCOMPARE(parts.size(), 4);
        QCOMPARE(parts[2], QStringLiteral("123 Main Street\\;2"));
        QCOMPARE(parts[3], QStringLiteral("Any Town"));
    }

    void parameters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "Home"
                               << "Home";
        QTest::newRow("comma quoted") << "Home, main"
                                      << "\"Home, main\"";
        QTest::newRow("colon and semicolon quoted") << "a:b;c"
                                                    << "\"a:b;c\"";
        // RFC 6868: the caret escapes.
        QTest::newRow("quote, line break, caret") << "say \"hi\"\n^"
                                                  << "say ^'hi^'^n^^";
    }
    void parameters()
    {
        QFETCH(QString, text);
        QFETCH(QString, value);
        QCOMPARE(parameterValue(text), value);
        QCOMPARE(parameterText(value), text);
    }
};

} // namespace

QL_TEST_CLASS(ContentLineTest)
#include "tst_contentline.moc"
