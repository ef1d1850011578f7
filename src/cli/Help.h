#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The command line's help: one table that the option parser, `--help` and the man page all read,
// so that what is accepted, what --help says and what the man page says cannot drift apart.
namespace Help {

// An option of a command, or a term of a list ("0", "KELVOMARK_COMn").
struct Item {
    QStringList names;  // "port"; "h", "help"; for a term: the term itself
    QString value;      // "P", or empty for a flag
    QString text;
    bool isOption = true;

    // "--port P", "-h, --help", or the term.
    QString term() const;
};

struct Section {
    QString title;  // "Options", "Exit status", "Examples"
    QStringList paragraphs;
    QVector<Item> items;
    QStringList verbatim;  // lines shown as they are (examples)
};

struct Page {
    QString command;         // empty for the program itself
    QStringList usage;       // lines after "Usage: "
    QString summary;         // one line: the commands list, the man page's NAME
    QStringList paragraphs;  // the description
    QVector<Section> sections;

    // The options every section of this page lists.
    QVector<Item> options() const;
};

QString programName();  // "kelvomark-cli"
QString version();

// The program's page and one page per command, in the order the commands are listed.
const Page& programPage();
const QVector<Page>& commandPages();
// The page of a command, or null.
const Page* pageFor(const QString& command);

// The page as --help prints it: wrapped to `width` columns.
QString text(const Page& page, int width = 80);

}  // namespace Help
