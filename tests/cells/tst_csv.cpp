#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <limits>

#include "core/cells/Csv.h"
#include "tst_cells.h"

namespace {

// Reads a CSV file with python3's csv module and gives its rows.
QList<QStringList> ReadWithPython(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                  path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return {};
    }
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue& field : row.toArray()) {
            fields.append(field.toString());
        }
        rows.append(fields);
    }
    return rows;
}

QList<QStringList> ReadAll(const QByteArray& bytes, QString* error = nullptr) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    Csv::Reader reader(buffer);
    QList<QStringList> rows;
    QStringList fields;
    while (reader.next(fields)) {
        rows.append(fields);
    }
    if (error) {
        *error = reader.error();
    }
    return rows;
}

const QList<QStringList> Awkward = {
    {"id", "notes", "ir_mohm"},
    {"C0001", "plain", "38.2"},
    {"C0002", "a, comma", "1e-05"},
    {"C0003", "a \"quote\"", ""},
    {"C0004", "two\r\nlines\nand a bare LF", "-0.5"},
    {"C0005", "Zelle \u00fc \u20ac \U0001F50B", "72.4"},
    {"", "", ""},
    {"C0006", " spaces kept ", "3"},
};

}  // namespace

void TestCsv::roundTripThroughPython() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.csv"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        Csv::Writer writer(file);
        for (const QStringList& row : Awkward) {
            QVERIFY(writer.write(row));
        }
    }
    QCOMPARE(ReadWithPython(path), Awkward);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(bytes.startsWith("id,notes,ir_mohm\r\nC0001,plain,38.2\r\n"));
    QCOMPARE(ReadAll(bytes), Awkward);
}

void TestCsv::readerFaults_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rowsBefore");
    QTest::addColumn<QString>("error");
    QTest::newRow("quote inside an unquoted field")
        << QByteArray("id,capacity_mah\r\nC1,25\"00\r\n") << 1
        << "row 2, column 2: a quote inside a field that is not quoted";
    QTest::newRow("text after the closing quote")
        << QByteArray("a,b\n\"C1\"x,2\n") << 1 << "row 2, column 1: text after the closing quote";
    QTest::newRow("quote never closed") << QByteArray("a,b\n1,2\n3,\"4\n5,6\n") << 2
                                        << "row 3, column 2: a quoted field is never closed";
    QTest::newRow("not UTF-8") << QByteArray("a,b\nC1,\xff\xfe\n") << 1
                               << "row 2, column 2: the text is not UTF-8";
}

void TestCsv::readerFaults() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, rowsBefore);
    QFETCH(QString, error);
    QString got;
    QCOMPARE(ReadAll(bytes, &got).size(), rowsBefore);
    QCOMPARE(got, error);
}

void TestCsv::readerForms_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::newRow("empty") << QByteArray() << QList<QStringList>{};
    QTest::newRow("byte order mark")
        << QByteArray("\xEF\xBB\xBFid,x\r\n") << QList<QStringList>{{"id", "x"}};
    QTest::newRow("no line end at the end")
        << QByteArray("a,b\r\n1,2") << QList<QStringList>{{"a", "b"}, {"1", "2"}};
    QTest::newRow("bare LF") << QByteArray("a,b\n1,2\n")
                             << QList<QStringList>{{"a", "b"}, {"1", "2"}};
    QTest::newRow("bare CR") << QByteArray("a,b\r1,2\r")
                             << QList<QStringList>{{"a", "b"}, {"1", "2"}};
    QTest::newRow("empty fields") << QByteArray(",,\r\n") << QList<QStringList>{{"", "", ""}};
    QTest::newRow("quoted empty and doubled quotes")
        << QByteArray("\"\",\"a\"\"b\",\"\"\"\"\r\n") << QList<QStringList>{{"", "a\"b", "\""}};
    // Longer than the reader's chunk, with a quoted field across the chunk's end.
    const QByteArray longField(70000, 'x');
    QTest::newRow("field across chunks")
        << QByteArray("\"" + longField + "\"\"\",2\r\n")
        << QList<QStringList>{{QString::fromLatin1(longField) + u'"', "2"}};
}

void TestCsv::readerForms() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QStringList>, rows);
    QString error;
    QCOMPARE(ReadAll(bytes, &error), rows);
    QCOMPARE(error, QString());
}

void TestCsv::numbersWhateverTheLocale() {
    const QByteArray old = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(Csv::Number(38.2), QStringLiteral("38.2"));
    QCOMPARE(Csv::Number(0.1 + 0.2), QStringLiteral("0.30000000000000004"));
    QCOMPARE(Csv::Number(1234.0), QStringLiteral("1234"));
    QCOMPARE(Csv::Number(std::numeric_limits<double>::quiet_NaN()), QString());
    double value = 0;
    QVERIFY(Csv::ParseNumber(QStringLiteral("2500.5"), value));
    QCOMPARE(value, 2500.5);
    QVERIFY(!Csv::ParseNumber(QStringLiteral("2500,5"), value));
    QVERIFY(!Csv::ParseNumber(QStringLiteral("nan"), value));
    QVERIFY(!Csv::ParseNumber(QString(), value));
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, old.constData());
}
