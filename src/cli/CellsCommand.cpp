#include <unistd.h>
#include <QFile>
#include <QSaveFile>
#include <cmath>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "core/cells/BenchInventory.h"
#include "core/cells/Profile.h"
#include "core/cells/Verdict.h"
#include "platform/TextRules.h"

using namespace CommandSupport;

namespace {

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QString numberOrDash(double value) {
    return std::isfinite(value) ? LimitNumber(value) : QStringLiteral("-");
}

QString optionalOrDash(const std::optional<double>& value) {
    return value ? numberOrDash(*value) : QStringLiteral("-");
}

QString windowText(const std::optional<Window>& window) {
    return window ? LimitNumber(window->min) + u',' + LimitNumber(window->max)
                  : QStringLiteral("-");
}

QString binsText(const Profile& profile) {
    if (profile.bins.isEmpty()) {
        return QStringLiteral("-");
    }
    QStringList bins;
    for (const Bin& bin : profile.bins) {
        bins.append(bin.name + QStringLiteral(" up to ") +
                    (std::isinf(bin.upTo) ? QStringLiteral("any") : LimitNumber(bin.upTo)));
    }
    return BinOnName(profile.binOn) + QStringLiteral(": ") + bins.join(QStringLiteral(", "));
}

// Standard output as a device, for a streamed export.
class StandardOutput : public QFile {
  public:
    StandardOutput() { open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle); }
};

}  // namespace

Exit RunCells(const Arguments& arguments, Console& console) {
    const QStringList words = arguments.positional();
    const QString action = words.value(0);
    const auto usage = [&](const QString& text) {
        console.message(QStringLiteral("cells: ") + text);
        return Exit::Usage;
    };
    const bool named = action == u"profile-set" || action == u"profile-remove";
    const qsizetype wanted = action == u"show" || action == u"import-capacity" || named ? 2 : 1;
    if (action.isEmpty()) {
        return usage(
            QStringLiteral("say what to do: init, list, show ID, export, import-capacity "
                           "FILE.csv, profiles, profile-set NAME, profile-remove NAME or upload"));
    }
    if (action != u"init" && action != u"list" && action != u"show" && action != u"export" &&
        action != u"import-capacity" && action != u"profiles" && action != u"upload" && !named) {
        return usage(QStringLiteral("unknown action \"%1\": init, list, show, export, "
                                    "import-capacity, profiles, profile-set, profile-remove or "
                                    "upload")
                         .arg(action));
    }
    if (words.size() < wanted) {
        return usage(action == u"show" ? QStringLiteral("show: the cell's ID is missing")
                     : named           ? action + QStringLiteral(": the profile's name is missing")
                             : QStringLiteral("import-capacity: the CSV file is missing"));
    }
    if (words.size() > wanted) {
        return usage(QStringLiteral("unexpected argument \"%1\"").arg(words.at(wanted)));
    }
    if (arguments.isSet(QStringLiteral("out")) && action != u"export") {
        return usage(QStringLiteral("--out is for export only"));
    }
    for (const char* limit :
         {"ir-pass", "ir-fail", "volt-pass", "volt-warn", "self-discharge", "bins"}) {
        if (arguments.isSet(QString::fromLatin1(limit)) && action != u"profile-set") {
            return usage(QStringLiteral("--%1 is for profile-set only").arg(QLatin1String(limit)));
        }
    }
    Profile made;
    if (action == u"profile-set") {
        made.name = words.at(1).trimmed();
        QString error;
        if (!(MilliohmOption(arguments, QStringLiteral("ir-pass"), made.irPass, error) &&
              MilliohmOption(arguments, QStringLiteral("ir-fail"), made.irFail, error) &&
              WindowOption(arguments, QStringLiteral("volt-pass"), made.voltPass, error) &&
              WindowOption(arguments, QStringLiteral("volt-warn"), made.voltWarn, error) &&
              NumberOption(arguments, QStringLiteral("self-discharge"),
                           QStringLiteral("a voltage loss in mV/day"), made.selfDischargeMax,
                           error))) {
            return usage(error);
        }
        if (arguments.isSet(QStringLiteral("bins"))) {
            const QString bins = arguments.value(QStringLiteral("bins"));
            const QString refusal = ReadBinsLine(bins, made);
            if (!refusal.isEmpty()) {
                return usage(QStringLiteral("--bins: \"%1\": %2").arg(bins, refusal));
            }
        }
        const QString problem = made.problem();
        if (!problem.isEmpty()) {
            return usage(QStringLiteral("profile-set: ") + problem);
        }
    }
    const QString db = arguments.isSet(QStringLiteral("db")) ? arguments.value(QStringLiteral("db"))
                                                             : Inventory::DefaultLocation();
    // On a server, what this machine kept while it was away goes up first, so that every
    // list and export holds it.
    BenchInventory bench;
    if (!bench.open(db)) {
        console.message(QStringLiteral("cells: ") + bench.error());
        return Exit::Failure;
    }
    if (!bench.isOnline()) {
        console.message(QStringLiteral("cells: ") + bench.awayReason());
        return Exit::Failure;
    }
    if (bench.waiting() > 0) {
        console.message(QStringLiteral("cells: ") + bench.statusLine());
        return Exit::Failure;
    }
    Inventory& inventory = bench.inventory();

    if (action == u"init" || action == u"upload") {
        console.message(QStringLiteral("cells: %1 holds a cell inventory of schema version %2%3")
                            .arg(db)
                            .arg(inventory.schemaVersion())
                            .arg(bench.isServer() ? QStringLiteral("; nothing kept on this "
                                                                   "machine waits for it")
                                                  : QString()));
        return Exit::Success;
    }

    if (action == u"list") {
        // Streamed: each line appended to one text, which goes out as UTF-8 a block at a time.
        constexpr qsizetype Block = 256 * 1024;
        QString text;
        text.reserve(Block + 1024);
        const auto field = [&](const QString& value) {
            text += value;
            text += u'\t';
        };
        const bool listed = inventory.forEachCell([&](const CellSummary& summary) {
            const Cell& cell = summary.cell;
            field(cell.id);
            field(orDash(cell.profile));
            field(optionalOrDash(cell.capacityMah));
            if (summary.latest) {
                const Measurement& m = *summary.latest;
                field(TextRules::IsoTime(m.time));
                field(numberOrDash(m.milliohms));
                field(numberOrDash(m.volts));
                field(VerdictName(m.verdict));
                field(orDash(m.bin));
                text += orDash(m.bench());
            } else {
                text += QStringLiteral("-\t-\t-\t-\t-\t-");
            }
            text += u'\n';
            if (text.size() > Block) {
                Console::outBytes(text.toUtf8());
                text.resize(0);
            }
            return true;
        });
        Console::outBytes(text.toUtf8());
        if (!listed) {
            console.message(QStringLiteral("cells: ") + inventory.error());
            return Exit::Failure;
        }
        return Exit::Success;
    }

    if (action == u"show") {
        const std::optional<CellDetail> detail = inventory.cell(words.at(1));
        if (!detail) {
            console.message(
                QStringLiteral("cells: the inventory %1 has no cell \"%2\"").arg(db, words.at(1)));
            return Exit::Failure;
        }
        const Cell& cell = detail->cell;
        QStringList lines{
            QStringLiteral("id\t") + cell.id,
            QStringLiteral("profile\t") + orDash(cell.profile),
            QStringLiteral("capacity_mah\t") + optionalOrDash(cell.capacityMah),
            QStringLiteral("notes\t") + orDash(cell.notes),
            QStringLiteral("pack\t") + (cell.pack.isEmpty() ? QStringLiteral("-")
                                                            : QStringLiteral("%1 group %2 slot %3")
                                                                  .arg(cell.pack)
                                                                  .arg(cell.group.value_or(0))
                                                                  .arg(cell.slot.value_or(0))),
            QStringLiteral("self_discharge_mv_per_day\t") + optionalOrDash(detail->selfDischarge),
            QStringLiteral("measurements\t%1").arg(detail->measurements.size())};
        for (const Measurement& m : detail->measurements) {
            QStringList fields{
                TextRules::IsoTime(m.time),
                m.ohmText + u' ' + m.ohmUnit,
                m.voltText + QStringLiteral(" V"),
                VerdictName(m.verdict),
                orDash(m.bin),
                m.reasons.isEmpty() ? QStringLiteral("-") : m.reasons.join(QStringLiteral("; "))};
            if (m.remeasure) {
                fields << QStringLiteral("remeasure");
            }
            if (m.deleted) {
                fields << QStringLiteral("deleted");
            }
            lines.append(fields.join(u'\t'));
        }
        Console::out(lines.join(u'\n'));
        return Exit::Success;
    }

    if (action == u"export") {
        if (arguments.isSet(QStringLiteral("out"))) {
            const QString path = arguments.value(QStringLiteral("out"));
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly)) {
                console.message(
                    QStringLiteral("cells: cannot write %1: %2").arg(path, file.errorString()));
                return Exit::Failure;
            }
            if (!inventory.exportCsv(file) || !file.commit()) {
                console.message(QStringLiteral("cells: the export to %1 failed: %2")
                                    .arg(path, inventory.error().isEmpty() ? file.errorString()
                                                                           : inventory.error()));
                file.cancelWriting();
                return Exit::Failure;
            }
            return Exit::Success;
        }
        StandardOutput out;
        if (!inventory.exportCsv(out) || !out.flush()) {
            console.message(QStringLiteral("cells: the export failed: ") +
                            (inventory.error().isEmpty() ? out.errorString() : inventory.error()));
            return Exit::Failure;
        }
        return Exit::Success;
    }

    if (action == u"import-capacity") {
        QFile file(words.at(1));
        if (!file.open(QIODevice::ReadOnly)) {
            console.message(
                QStringLiteral("cells: cannot read %1: %2").arg(words.at(1), file.errorString()));
            return Exit::Failure;
        }
        const std::optional<ImportReport> report = inventory.importCapacity(file);
        if (!report) {
            console.message(QStringLiteral("cells: %1: %2; nothing was changed")
                                .arg(words.at(1), inventory.error()));
            return Exit::Failure;
        }
        for (const QString& id : report->unknownIds) {
            console.message(QStringLiteral("cells: no cell \"%1\" in the inventory; its capacity "
                                           "was not set")
                                .arg(id));
        }
        console.message(QStringLiteral("cells: %1 capacities set").arg(report->updated));
        return report->unknownIds.isEmpty() ? Exit::Success : Exit::Failure;
    }

    if (action == u"profile-set") {
        if (!inventory.saveProfile(made)) {
            console.message(QStringLiteral("cells: the profile \"%1\" was not saved: %2")
                                .arg(made.name, inventory.error()));
            return Exit::Failure;
        }
        console.message(QStringLiteral("cells: the profile \"%1\" is saved").arg(made.name));
        return Exit::Success;
    }

    if (action == u"profile-remove") {
        if (!inventory.profile(words.at(1))) {
            console.message(QStringLiteral("cells: the inventory %1 has no profile \"%2\" "
                                           "(kelvomark-cli cells profiles lists them)")
                                .arg(db, words.at(1)));
            return Exit::Failure;
        }
        if (!inventory.removeProfile(words.at(1))) {
            console.message(QStringLiteral("cells: the profile \"%1\" was not removed: %2")
                                .arg(words.at(1), inventory.error()));
            return Exit::Failure;
        }
        console.message(QStringLiteral("cells: the profile \"%1\" is removed").arg(words.at(1)));
        return Exit::Success;
    }

    for (const Profile& profile : inventory.profiles()) {
        Console::out(QStringList{profile.name, optionalOrDash(profile.irPass),
                                 optionalOrDash(profile.irFail), windowText(profile.voltPass),
                                 windowText(profile.voltWarn),
                                 optionalOrDash(profile.selfDischargeMax), binsText(profile)}
                         .join(u'\t'));
    }
    return Exit::Success;
}
