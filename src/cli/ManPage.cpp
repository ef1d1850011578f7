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

void Paragraphs(QStringList& out, const QStringList& paragraphs) {
    for (const QString& paragraph : paragraphs) {
        out << QStringLiteral(".PP") << Roff(paragraph);
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

QString ManPage() {
    const Help::Page& program = Help::programPage();
    QStringList out;
    out << QStringLiteral(".TH KELVOMARK\\-CLI 1 \"\" \"Kelvomark %1\" \"User Commands\"")
               .arg(Help::version())
        << QStringLiteral(".SH NAME")
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
    if (arguments.size() != 2) {
        std::fputs("usage: kelvomark-cli-man OUT.1\n", stderr);
        return 2;
    }
    QFile file(arguments.at(1));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(ManPage().toUtf8()) < 0 || !file.flush()) {
        std::fprintf(stderr, "kelvomark-cli-man: cannot write %s: %s\n",
                     qPrintable(arguments.at(1)), qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
