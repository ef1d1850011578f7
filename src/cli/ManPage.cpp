// Writes the man page kelvomark-cli(1) from the table that --help prints, at build time.
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>

#include "cli/Help.h"

namespace {

// Text as roff reads it: backslashes written out, a line never taken for a request.
QString Roff(const QString& text) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\e"));
    if (escaped.startsWith(u'.') || escaped.startsWith(u'\'')) {
        escaped.prepend(QStringLiteral("\\&"));
    }
    return escaped;
}

// Options and commands as typed: their hyphens are minus signs.
QString Typed(const QString& text) {
    return Roff(text).replace(u'-', QStringLiteral("\\-"));
}

// Other pages named as "kelvomark-sim(1)", the name in bold as man pages write it.
QString References(const QString& text) {
    static const QRegularExpression page(QStringLiteral("\\b([a-z][a-z0-9-]*)\\(([1-8])\\)"));
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : page.globalMatch(text)) {
        out += Roff(text.mid(from, match.capturedStart() - from));
        out += QStringLiteral("\\fB") + Typed(match.captured(1)) + QStringLiteral("\\fR(") +
               match.captured(2) + u')';
        from = match.capturedEnd();
    }
    return out + Roff(text.mid(from));
}

void Paragraphs(QStringList& out, const QStringList& paragraphs) {
    for (const QString& paragraph : paragraphs) {
        out << QStringLiteral(".PP") << References(paragraph);
    }
}

void Items(QStringList& out, const QVector<Help::Item>& items) {
    for (const Help::Item& item : items) {
        out << QStringLiteral(".TP") << QStringLiteral(".B ") + Typed(item.term())
            << Roff(item.text);
    }
}

void Verbatim(QStringList& out, const QStringList& lines) {
    out << QStringLiteral(".PP") << QStringLiteral(".RS 4") << QStringLiteral(".nf");
    for (const QString& line : lines) {
        out << Typed(line);
    }
    out << QStringLiteral(".fi") << QStringLiteral(".RE");
}

void Synopsis(QStringList& out, const QStringList& usage) {
    for (const QString& line : usage) {
        out << Typed(line) << QStringLiteral(".br");
    }
}

QString ManPage(const QString& date) {
    const Help::Page& program = Help::programPage();
    QStringList out;
    // Hyphenation off: paths and commands are copied from the page.
    out << QStringLiteral(".TH KELVOMARK\\-CLI 1 \"%1\" \"Kelvomark %2\" \"User Commands\"")
               .arg(date, Help::version())
        << QStringLiteral(".nh") << QStringLiteral(".SH NAME")
        << QStringLiteral("kelvomark\\-cli \\- ") + Roff(program.summary)
        << QStringLiteral(".SH SYNOPSIS");
    Synopsis(out, program.usage);
    out << QStringLiteral(".SH DESCRIPTION");
    Paragraphs(out, program.paragraphs);
    for (const Help::Section& section : program.sections) {
        out << QStringLiteral(".SH ") + section.title.toUpper();
        Paragraphs(out, section.paragraphs);
        Items(out, section.items);
        if (!section.verbatim.isEmpty()) {
            Verbatim(out, section.verbatim);
        }
        // Each command in full after the list of commands.
        if (&section == &program.sections.constFirst()) {
            for (const Help::Page& page : Help::commandPages()) {
                out << QStringLiteral(".SS ") + Typed(page.command);
                Synopsis(out, page.usage);
                Paragraphs(out, page.paragraphs);
                for (const Help::Section& part : page.sections) {
                    out << QStringLiteral(".PP") << Roff(part.title) + u':';
                    Paragraphs(out, part.paragraphs);
                    Items(out, part.items);
                }
            }
        }
    }
    return out.join(u'\n') + u'\n';
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: kelvomark-cli-man OUT.1 DATE\n", stderr);
        return 2;
    }
    QFile file(arguments.at(1));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(ManPage(arguments.at(2)).toUtf8()) < 0 || !file.flush()) {
        std::fprintf(stderr, "kelvomark-cli-man: cannot write %s: %s\n",
                     qPrintable(arguments.at(1)), qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
