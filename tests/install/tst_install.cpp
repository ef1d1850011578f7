// What a person gets from the build: the help document that "Help" opens, the files
// `cmake --install` puts in place for the desktop, and the Debian package.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString BuildDir = QStringLiteral(KELVOMARK_BUILD_DIR);
const QString AppId = QStringLiteral("io.github.kelvomark.Kelvomark");
constexpr int ToolTimeoutMs = 240000;

struct Run {
    bool started = false;
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    result.started = process.waitForStarted();
    if (result.started && process.waitForFinished(ToolTimeoutMs) &&
        process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    }
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

bool have(const QString& tool) {
    return !QStandardPaths::findExecutable(tool).isEmpty();
}

// Blanks, line ends and page breaks as one blank: a title may wrap in the PDF's text.
QString simplified(const QString& text) {
    return QString(text).replace(QChar(0x0c), u' ').simplified();
}

}  // namespace

class TestInstall : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();

    void helpHasPagesAndPictures();
    void helpNamesEveryWindow_data();
    void helpNamesEveryWindow();

    void installedFile_data();
    void installedFile();
    void helpIsWhereTheProgramLooks();
    void cliFindsItsRenderer();
    void iconHasItsSize();
    void desktopEntryStartsTheProgram();
    void desktopFilesValidate_data();
    void desktopFilesValidate();
    void mimeTypeKnowsRecordings();
    void manPageIsTheHelp_data();
    void manPageIsTheHelp();

    void debianPackage();

  private:
    QString helpPdf() const { return BuildDir + QStringLiteral("/help/english.pdf"); }
    QString installed(const QString& relative) const { return prefix_.filePath(relative); }

    QTemporaryDir prefix_;
    QString helpText_;
    QString installError_;
};

void TestInstall::initTestCase() {
    QVERIFY(prefix_.isValid());
    const Run install =
        run(QStringLiteral(KELVOMARK_CMAKE),
            {QStringLiteral("--install"), BuildDir, QStringLiteral("--prefix"), prefix_.path()});
    if (install.exitCode != 0) {
        installError_ = install.out + install.err;
    }
    if (have(QStringLiteral("pdftotext"))) {
        const Run text = run(QStringLiteral("pdftotext"), {helpPdf(), QStringLiteral("-")});
        QCOMPARE(text.exitCode, 0);
        helpText_ = simplified(text.out);
    }
}

void TestInstall::helpHasPagesAndPictures() {
    QVERIFY2(QFile::exists(helpPdf()), qPrintable(helpPdf()));
    if (!have(QStringLiteral("pdfinfo")) || !have(QStringLiteral("pdfimages"))) {
        QSKIP("poppler-utils is not installed");
    }
    const Run info = run(QStringLiteral("pdfinfo"), {helpPdf()});
    QCOMPARE(info.exitCode, 0);
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.out);
    QVERIFY2(pages.hasMatch(), qPrintable(info.out));
    QVERIFY(pages.captured(1).toInt() >= 5);

    // Every window is pictured: one image per picture that the build takes.
    const Run images = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), helpPdf()});
    QCOMPARE(images.exitCode, 0);
    const QStringList pictures =
        QDir(BuildDir + QStringLiteral("/help/images")).entryList({QStringLiteral("*.png")});
    QVERIFY(pictures.size() >= 12);
    const int listed =
        int(images.out.count(QRegularExpression(QStringLiteral("\\n\\s*\\d+\\s+\\d+\\s+image"))));
    QVERIFY2(listed >= pictures.size(), qPrintable(images.out));
}

void TestInstall::helpNamesEveryWindow_data() {
    QTest::addColumn<QString>("title");
    for (const char* title :
         {"COM Port", "Serial Devices", "Panel", "Real Time List", "Real Time Graph - (m) Ohm",
          "Real Time Graph - Voltage", "Real Time Range", "Plot Data/File", "Plot Range",
          "Data Logger", "Data List", "Input Sampling Time", "Input Starting Time"}) {
        QTest::newRow(title) << QString::fromLatin1(title);
    }
}

void TestInstall::helpNamesEveryWindow() {
    QFETCH(QString, title);
    if (helpText_.isEmpty()) {
        QSKIP("pdftotext is not installed");
    }
    QVERIFY2(helpText_.contains(title), qPrintable(title));
}

void TestInstall::installedFile_data() {
    QTest::addColumn<QString>("path");
    const QStringList files = {
        QStringLiteral("bin/kelvomark"),
        QStringLiteral("bin/kelvomark-sim"),
        QStringLiteral("bin/kelvomark-cli"),
        QStringLiteral("libexec/kelvomark/kelvomark-render"),
        QStringLiteral("share/man/man1/kelvomark-cli.1.gz"),
        QStringLiteral("share/kelvomark/help/english.pdf"),
        QStringLiteral("share/applications/%1.desktop").arg(AppId),
        QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId),
        QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(AppId),
        QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(AppId),
        QStringLiteral("share/mime/packages/%1.xml").arg(AppId),
        QStringLiteral("share/man/man1/kelvomark.1.gz"),
        QStringLiteral("share/man/man1/kelvomark-sim.1.gz"),
    };
    for (const QString& file : files) {
        QTest::newRow(qPrintable(file)) << file;
    }
}

void TestInstall::installedFile() {
    QFETCH(QString, path);
    QVERIFY2(installError_.isEmpty(), qPrintable(installError_));
    const QFileInfo info(installed(path));
    QVERIFY2(info.isFile(), qPrintable(path));
    QVERIFY(info.size() > 0);
    if (path.startsWith(QLatin1String("bin/")) || path.startsWith(QLatin1String("libexec/"))) {
        QVERIFY(info.isExecutable());
    }
}

void TestInstall::helpIsWhereTheProgramLooks() {
    // The program looks for its help beside itself, then in ../share/kelvomark/help.
    QVERIFY2(installError_.isEmpty(), qPrintable(installError_));
    const QDir bin(installed(QStringLiteral("bin")));
    QVERIFY(
        QFileInfo(bin.filePath(QStringLiteral("../share/kelvomark/help/english.pdf"))).isFile());
    QVERIFY(QFileInfo(BuildDir + QStringLiteral("/kelvomark")).isExecutable());
    QVERIFY(QFileInfo(BuildDir + QStringLiteral("/help/english.pdf")).isFile());
}

// Installed, kelvomark-cli runs its renderer from libexec: a plot with no display.
void TestInstall::cliFindsItsRenderer() {
    QVERIFY2(installError_.isEmpty(), qPrintable(installError_));
    QTemporaryDir dir;
    QFile recording(dir.filePath(QStringLiteral("cell.Kmk")));
    QVERIFY(recording.open(QIODevice::WriteOnly));
    recording.write(
        "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n"
        "1\t2021/07/01\t10:20:32\t12.34\t3.912\r\n"
        "2\t2021/07/01\t10:20:34\t12.36\t3.911\r\n");
    recording.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    const QString png = dir.filePath(QStringLiteral("cell.png"));
    const Run plot = run(
        installed(QStringLiteral("bin/kelvomark-cli")),
        {QStringLiteral("plot"), recording.fileName(), QStringLiteral("--png"), png}, environment);
    QVERIFY2(plot.exitCode == 0, qPrintable(plot.err));
    QCOMPARE(QImage(png).size(), QSize(446, 527));
}

void TestInstall::iconHasItsSize() {
    const QImage icon(
        installed(QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(AppId)));
    QCOMPARE(icon.size(), QSize(48, 48));
    QVERIFY(icon.hasAlphaChannel());
}

void TestInstall::desktopEntryStartsTheProgram() {
    QSettings entry(installed(QStringLiteral("share/applications/%1.desktop").arg(AppId)),
                    QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    const QString exec = entry.value(QStringLiteral("Exec")).toString();
    QVERIFY(QFileInfo(installed(QStringLiteral("bin/") + exec.section(u' ', 0, 0))).isExecutable());
    const QString icon = entry.value(QStringLiteral("Icon")).toString();
    QVERIFY(QFile::exists(
        installed(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon))));

    // A recording opened from the file manager: the entry claims the installed type and takes
    // the files.
    QFile text(installed(QStringLiteral("share/applications/%1.desktop").arg(AppId)));
    QVERIFY(text.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(text.readAll()).split(u'\n');
    QVERIFY(lines.contains(QStringLiteral("Exec=kelvomark %F")));
    QFile mime(installed(QStringLiteral("share/mime/packages/%1.xml").arg(AppId)));
    QVERIFY(mime.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch type =
        QRegularExpression(QStringLiteral("<mime-type type=\"([^\"]+)\""))
            .match(QString::fromUtf8(mime.readAll()));
    QVERIFY(type.hasMatch());
    QVERIFY2(lines.contains(QStringLiteral("MimeType=%1;").arg(type.captured(1))),
             qPrintable(lines.join(u'\n')));
}

void TestInstall::desktopFilesValidate_data() {
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::newRow("desktop entry") << QStringLiteral("desktop-file-validate") << QStringList()
                                   << QStringLiteral("share/applications/%1.desktop").arg(AppId);
    QTest::newRow("metainfo") << QStringLiteral("appstreamcli")
                              << QStringList{QStringLiteral("validate"), QStringLiteral("--no-net")}
                              << QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId);
}

void TestInstall::desktopFilesValidate() {
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    if (!have(tool)) {
        QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
    }
    const Run check = run(tool, arguments << installed(file));
    QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
    // desktop-file-validate reports warnings but exits 0 on them.
    QVERIFY2(!check.out.contains(QLatin1String("warning:")), qPrintable(check.out));
}

void TestInstall::mimeTypeKnowsRecordings() {
    if (!have(QStringLiteral("update-mime-database"))) {
        QSKIP("shared-mime-info is not installed");
    }
    // The database as the system builds it from the installed package file.
    const QString mime = installed(QStringLiteral("share/mime"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), installed(QStringLiteral("share")));
    const Run update = run(QStringLiteral("update-mime-database"), {mime}, environment);
    QVERIFY2(update.exitCode == 0 && update.err.isEmpty(), qPrintable(update.err));
    QFile globs(mime + QStringLiteral("/globs2"));
    QVERIFY(globs.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(globs.readAll());
    QVERIFY2(text.contains(QLatin1String(":application/x-kelvomark:*.Kmk")), qPrintable(text));
    QFile subclasses(mime + QStringLiteral("/subclasses"));
    QVERIFY(subclasses.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(subclasses.readAll())
                .contains(QLatin1String("application/x-kelvomark text/tab-separated-values")));
}

void TestInstall::manPageIsTheHelp_data() {
    QTest::addColumn<QString>("program");
    QTest::newRow("kelvomark") << QStringLiteral("kelvomark");
    QTest::newRow("kelvomark-sim") << QStringLiteral("kelvomark-sim");
}

void TestInstall::manPageIsTheHelp() {
    QFETCH(QString, program);
    QVERIFY2(installError_.isEmpty(), qPrintable(installError_));
    if (!have(QStringLiteral("man"))) {
        QSKIP("man-db is not installed");
    }
    // The page as man shows it, in plain ASCII on one wide line per paragraph.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("1000"));
    const Run page = run(
        QStringLiteral("man"),
        {QStringLiteral("-l"), installed(QStringLiteral("share/man/man1/%1.1.gz").arg(program))},
        environment);
    QCOMPARE(page.exitCode, 0);
    QVERIFY2(page.out.contains(QLatin1String("SYNOPSIS\n       %1 [options]").arg(program)),
             qPrintable(page.out));

    // Made from the installed program's own texts: its version, and every option it lists.
    const QString bin = installed(QStringLiteral("bin/") + program);
    const Run version = run(bin, {QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(page.out.contains(version.out.trimmed()), qPrintable(version.out));
    const Run help = run(bin, {QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    const QRegularExpression option(QStringLiteral("^  (?:-\\w, )?(--[\\w-]+)"),
                                    QRegularExpression::MultilineOption);
    int options = 0;
    for (const QRegularExpressionMatch& match : option.globalMatch(help.out)) {
        QVERIFY2(page.out.contains(match.captured(1)), qPrintable(match.captured(1)));
        ++options;
    }
    QVERIFY(options >= 3);
}

void TestInstall::debianPackage() {
    if (!have(QStringLiteral("dpkg-deb")) || !have(QStringLiteral("dpkg-shlibdeps"))) {
        QSKIP("dpkg-dev is not installed");
    }
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const Run pack =
        run(QStringLiteral(KELVOMARK_CPACK),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
             BuildDir + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"), out.path()});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.out + pack.err));
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("kelvomark_*.deb")});
    QCOMPARE(debs.size(), 1);
    const QString deb = out.filePath(debs.first());

    const Run contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
    QCOMPARE(contents.exitCode, 0);
    for (const QString& file :
         {QStringLiteral("./usr/bin/kelvomark"), QStringLiteral("./usr/bin/kelvomark-sim"),
          QStringLiteral("./usr/bin/kelvomark-cli"),
          QStringLiteral("./usr/libexec/kelvomark/kelvomark-render"),
          QStringLiteral("./usr/share/man/man1/kelvomark-cli.1.gz"),
          QStringLiteral("./usr/share/kelvomark/help/english.pdf"),
          QStringLiteral("./usr/share/applications/%1.desktop").arg(AppId),
          QStringLiteral("./usr/share/metainfo/%1.metainfo.xml").arg(AppId),
          QStringLiteral("./usr/share/man/man1/kelvomark.1.gz"),
          QStringLiteral("./usr/share/man/man1/kelvomark-sim.1.gz")}) {
        QVERIFY2(contents.out.contains(file + u'\n'), qPrintable(file));
    }

    // apt can only resolve what the control file names: the Qt libraries found by
    // dpkg-shlibdeps and the fonts.
    const Run depends = run(QStringLiteral("dpkg-deb"),
                            {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
    QCOMPARE(depends.exitCode, 0);
    for (const char* package :
         {"libqt6widgets6", "libqt6serialport6", "libqt6printsupport6", "fonts-liberation"}) {
        QVERIFY2(depends.out.contains(QLatin1String(package)), qPrintable(depends.out));
    }
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
