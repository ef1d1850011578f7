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
    void manPageConventions_data();
    void manPageConventions();
    void licence();

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
        QStringLiteral("share/doc/kelvomark/copyright"),
        QStringLiteral("share/doc/kelvomark/changelog.gz"),
        QStringLiteral("share/lintian/overrides/kelvomark"),
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

void TestInstall::manPageConventions_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("seeAlso");
    QTest::addColumn<QStringList>("sayings");  // texts the page must hold
    QTest::newRow("kelvomark") << QStringLiteral("kelvomark")
                               << QStringList{"kelvomark-cli(1)", "kelvomark-sim(1)"}
                               << QStringList{"/usr/share/kelvomark/help/english.pdf"};
    QTest::newRow("kelvomark-cli")
        << QStringLiteral("kelvomark-cli") << QStringList{"kelvomark(1)", "kelvomark-sim(1)"}
        << QStringList{"sudo adduser $USER dialout", "/dev/serial/by-id/"};
    // The README is not installed: the page itself tells the faults.
    QTest::newRow("kelvomark-sim")
        << QStringLiteral("kelvomark-sim") << QStringList{"kelvomark(1)", "kelvomark-cli(1)"}
        << QStringList{"LOGGER FAULTS", "seven",   "silent",
                       "short",         "endless", "The dump stops after 60 % of its bytes"};
}

// Debian's conventions for a man page, on the installed pages as man and lexgrog read them.
void TestInstall::manPageConventions() {
    QFETCH(QString, program);
    QFETCH(QStringList, seeAlso);
    QFETCH(QStringList, sayings);
    QVERIFY2(installError_.isEmpty(), qPrintable(installError_));
    for (const char* tool : {"man", "lexgrog"}) {
        if (!have(QString::fromLatin1(tool))) {
            QSKIP("man-db is not installed");
        }
    }
    const QString file = installed(QStringLiteral("share/man/man1/%1.1.gz").arg(program));
    // NAME leads with the command as typed, for whatis and apropos.
    const Run whatis = run(QStringLiteral("lexgrog"), {file});
    QCOMPARE(whatis.exitCode, 0);
    QVERIFY2(whatis.out.contains(QStringLiteral(": \"%1 - ").arg(program)), qPrintable(whatis.out));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    // The page at a width; man's and groff's warnings are on, and a warning is an empty page.
    const auto render = [&](int width) {
        environment.insert(QStringLiteral("MANWIDTH"), QString::number(width));
        const Run page =
            run(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"), file},
                environment);
        return page.exitCode == 0 && page.err.isEmpty() ? page.out : page.err;
    };
    const QString wide = render(1000);
    QVERIFY2(wide.startsWith(program.toUpper()), qPrintable(wide));
    for (const QString& saying : sayings) {
        QVERIFY2(wide.contains(saying), qPrintable(saying));
    }
    const qsizetype see = wide.indexOf(QLatin1String("\nSEE ALSO\n"));
    QVERIFY2(see >= 0, qPrintable(wide));
    for (const QString& page : seeAlso) {
        QVERIFY2(wide.indexOf(page, see) > see, qPrintable(page));
    }
    // The footer: the version, a month and a year, the page's name.
    const QStringList lines = render(80).trimmed().split(u'\n');
    QVERIFY2(QRegularExpression(QStringLiteral("^\\S.* 10\\.4 +[A-Z][a-z]+ \\d{4} +%1\\(1\\)$")
                                    .arg(QRegularExpression::escape(program.toUpper())))
                 .match(lines.constLast())
                 .hasMatch(),
             qPrintable(lines.constLast()));

    // No word broken by hyphenation at any width: a line that ends in "-" is only ever a
    // break after a hyphen that is in the text.
    for (int width = 40; width <= 80; width += 5) {
        const QStringList narrow = render(width).split(u'\n');
        for (int i = 0; i + 1 < narrow.size(); ++i) {
            const QString line = narrow.at(i).trimmed();
            if (!line.endsWith(u'-') || line.endsWith(QLatin1String("--"))) {
                continue;
            }
            const QString head = line.section(u' ', -1).chopped(1);
            const QString tail = narrow.at(i + 1).trimmed().section(u' ', 0, 0);
            QVERIFY2(!wide.contains(head + tail) || wide.contains(head + u'-' + tail),
                     qPrintable(QStringLiteral("width %1: %2|%3").arg(width).arg(line, tail)));
        }
    }
}

// The licence that the metainfo names, in the repository and, machine-readable, in the package.
void TestInstall::licence() {
    QFile licence(QStringLiteral(KELVOMARK_SOURCE_DIR) + QStringLiteral("/LICENSE"));
    QVERIFY(licence.open(QIODevice::ReadOnly));
    QVERIFY(licence.readLine().startsWith("MIT License"));
    QFile metainfo(installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId)));
    QVERIFY(metainfo.open(QIODevice::ReadOnly));
    QVERIFY(metainfo.readAll().contains("<project_license>MIT</project_license>"));

    QFile copyright(installed(QStringLiteral("share/doc/kelvomark/copyright")));
    QVERIFY(copyright.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(copyright.readAll());
    QVERIFY(text.startsWith(QLatin1String(
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")));
    // Expat is Debian's name for the MIT licence.
    QVERIFY2(text.contains(QLatin1String("Files: *\nCopyright: ")) &&
                 text.contains(QLatin1String("\nLicense: Expat\n")),
             qPrintable(text));

    // Every override says why, on the comment lines just above it.
    QFile overrides(installed(QStringLiteral("share/lintian/overrides/kelvomark")));
    QVERIFY(overrides.open(QIODevice::ReadOnly));
    bool reason = false;
    for (const QByteArray& line : overrides.readAll().split('\n')) {
        if (line.trimmed().isEmpty()) {
            reason = false;
        } else if (line.startsWith('#')) {
            reason = line.size() > 2;
        } else {
            QVERIFY2(reason && line.startsWith("kelvomark: "), line.constData());
        }
    }
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
          QStringLiteral("./usr/share/man/man1/kelvomark-sim.1.gz"),
          QStringLiteral("./usr/share/doc/kelvomark/copyright"),
          QStringLiteral("./usr/share/doc/kelvomark/changelog.gz"),
          QStringLiteral("./usr/share/lintian/overrides/kelvomark")}) {
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

    // Debian's own checks: no error and no warning but those overridden, with their reasons,
    // in the package itself.
    if (!have(QStringLiteral("lintian"))) {
        QSKIP("lintian is not installed (tools/setup.sh installs it)");
    }
    const Run lintian = run(QStringLiteral("lintian"),
                            {QStringLiteral("--fail-on"), QStringLiteral("error,warning"),
                             QStringLiteral("--no-tag-display-limit"), deb});
    QVERIFY2(lintian.exitCode == 0, qPrintable(lintian.out + lintian.err));
    static const QRegularExpression reported(QStringLiteral("^[EW]: "),
                                             QRegularExpression::MultilineOption);
    QVERIFY2(!reported.match(lintian.out).hasMatch(), qPrintable(lintian.out));
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
