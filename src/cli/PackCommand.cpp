// kelvomark-cli pack: an S×P pack from a CSV of cells or from the inventory.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <cmath>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "core/cells/Csv.h"
#include "core/cells/Inventory.h"
#include "core/cells/PackInput.h"
#include "core/cells/PackMatcher.h"
#include "platform/Clock.h"

namespace {

QJsonValue JsonNumber(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

// A figure as text: whole mAh as whole numbers, others with the shortest exact digits.
QString Figure(double value) {
    return std::isfinite(value) ? Csv::Number(value) : QStringLiteral("-");
}

QString Milliohms(double value) {
    return std::isfinite(value) ? QString::number(value, 'f', 2) : QStringLiteral("-");
}

QString Ratio(double value) {
    return std::isfinite(value) ? QString::number(value, 'f', 3) : QStringLiteral("-");
}

QJsonObject Json(const PackProblem& problem, const PackResult& result) {
    QJsonArray groups;
    for (size_t g = 0; g < result.groups.size(); ++g) {
        const PackGroup& group = result.groups[g];
        QJsonArray ids;
        for (int c : group.cells) {
            ids.append(problem.cells[size_t(c)].id);
        }
        groups.append(QJsonObject{{QStringLiteral("group"), int(g) + 1},
                                  {QStringLiteral("cells"), ids},
                                  {QStringLiteral("capacity_mah"), group.capacityMah},
                                  {QStringLiteral("ir_mohm"), JsonNumber(group.parallelIrMohm)},
                                  {QStringLiteral("ir_ratio"), JsonNumber(group.irRatio)}});
    }
    QJsonArray unused;
    for (int c : result.unused) {
        unused.append(problem.cells[size_t(c)].id);
    }
    const bool capacity = problem.objective == PackProblem::Objective::Capacity;
    return {{QStringLiteral("series"), problem.series},
            {QStringLiteral("parallel"), problem.parallel},
            {QStringLiteral("objective"),
             capacity ? QStringLiteral("capacity") : QStringLiteral("spread")},
            {QStringLiteral("groups"), groups},
            {QStringLiteral("min_group_mah"), result.minGroupMah},
            {QStringLiteral("max_group_mah"), result.maxGroupMah},
            {QStringLiteral("spread_mah"), result.spreadMah},
            {QStringLiteral("bound_mah"), result.boundMah},
            {QStringLiteral("gap_mah"), result.gapMah},
            {QStringLiteral("bound_reached"), result.boundReached},
            {QStringLiteral("pack_ir_mohm"), JsonNumber(result.packIrMohm)},
            {QStringLiteral("largest_ir_ratio"), JsonNumber(result.largestIrRatio)},
            {QStringLiteral("unused"), unused},
            {QStringLiteral("seed"), QString::number(problem.seed)},
            {QStringLiteral("seconds"), result.seconds}};
}

// One row a cell, in series order and slot order, then the cells left out with no group. The
// map's rows carry each cell's verdict too, after the columns that others read.
QByteArray CsvRows(const PackProblem& problem, const PackResult& result, bool verdicts = false) {
    QStringList header = {QStringLiteral("id"),      QStringLiteral("group"),
                          QStringLiteral("slot"),    QStringLiteral("capacity_mah"),
                          QStringLiteral("ir_mohm"), QStringLiteral("volt")};
    if (verdicts) {
        header << QStringLiteral("verdict");
    }
    QByteArray out = Csv::Row(header);
    const auto row = [&](int c, const QString& group, const QString& slot) {
        const PackCell& cell = problem.cells[size_t(c)];
        QStringList fields = {cell.id,
                              group,
                              slot,
                              Csv::Number(cell.capacityMah),
                              Csv::Number(cell.irMohm),
                              Csv::Number(cell.volt)};
        if (verdicts) {
            fields << cell.verdictName();
        }
        out += Csv::Row(fields);
    };
    for (size_t g = 0; g < result.groups.size(); ++g) {
        const auto& cells = result.groups[g].cells;
        for (size_t k = 0; k < cells.size(); ++k) {
            row(cells[k], QString::number(g + 1), QString::number(k + 1));
        }
    }
    for (int c : result.unused) {
        row(c, QString(), QString());
    }
    return out;
}

QByteArray Text(const PackProblem& problem, const PackResult& result) {
    const bool capacity = problem.objective == PackProblem::Objective::Capacity;
    QStringList lines;
    lines << QStringLiteral(
                 "%1S%2P from %3 cells: weakest group %4 mAh, spread %5 mAh, pack IR "
                 "%6 mOhm")
                 .arg(problem.series)
                 .arg(problem.parallel)
                 .arg(problem.cells.size())
                 .arg(Figure(result.minGroupMah), Figure(result.spreadMah),
                      Milliohms(result.packIrMohm));
    lines << (capacity ? QStringLiteral("bound: no weakest group above %1 mAh; gap %2 mAh%3")
                       : QStringLiteral("bound: no spread below %1 mAh; gap %2 mAh%3"))
                 .arg(Figure(result.boundMah), Figure(result.gapMah),
                      result.boundReached ? QStringLiteral(" (the best possible)") : QString());
    lines << QStringLiteral("group\tcapacity_mah\tir_mohm\tir_ratio\tcells");
    for (size_t g = 0; g < result.groups.size(); ++g) {
        const PackGroup& group = result.groups[g];
        QStringList ids;
        for (int c : group.cells) {
            ids << problem.cells[size_t(c)].id;
        }
        lines << QStringLiteral("%1\t%2\t%3\t%4\t%5")
                     .arg(g + 1)
                     .arg(Figure(group.capacityMah), Milliohms(group.parallelIrMohm),
                          Ratio(group.irRatio), ids.join(u' '));
    }
    QStringList unused;
    for (int c : result.unused) {
        unused << problem.cells[size_t(c)].id;
    }
    lines << QStringLiteral("unused\t") +
                 (unused.isEmpty() ? QStringLiteral("-") : unused.join(u' '));
    lines << QStringLiteral("seconds\t") + QString::number(result.seconds, 'f', 3);
    return (lines.join(u'\n') + u'\n').toUtf8();
}

// The map is drawn by kelvomark-render (this program links no drawing), from the pack's CSV.
bool WriteMap(const PackProblem& problem, const PackResult& result, const QString& path,
              Console& console) {
    const QString renderer = CommandSupport::RendererPath();
    if (renderer.isEmpty()) {
        console.message(
            QStringLiteral("pack: kelvomark-render, which draws the map, is not "
                           "installed beside kelvomark-cli"));
        return false;
    }
    QTemporaryFile csv;
    if (!csv.open() || csv.write(CsvRows(problem, result, true)) < 0 || !csv.flush()) {
        console.message(QStringLiteral("pack: cannot write the map's cells: ") + csv.errorString());
        return false;
    }
    const QString title =
        QStringLiteral("%1S%2P: weakest group %3 mAh, spread %4 mAh, pack IR %5 mOhm")
            .arg(problem.series)
            .arg(problem.parallel)
            .arg(Figure(result.minGroupMah), Figure(result.spreadMah),
                 Milliohms(result.packIrMohm));
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty()) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    process.setProcessEnvironment(environment);
    process.start(renderer, {QStringLiteral("pack-map"), csv.fileName(), path, title});
    // Blocks in the kernel until the renderer ends; this command has nothing else to do.
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        if (process.error() == QProcess::FailedToStart) {
            console.message(
                QStringLiteral("pack: cannot run %1: %2").arg(renderer, process.errorString()));
        }
        return false;
    }
    return true;
}

}  // namespace

Exit RunPack(const Arguments& arguments, Console& console) {
    const auto usage = [&](const QString& text) {
        console.message(QStringLiteral("pack: ") + text);
        return Exit::Usage;
    };
    const auto failure = [&](const QString& text) {
        console.message(QStringLiteral("pack: ") + text);
        return Exit::Failure;
    };
    if (!arguments.positional().isEmpty()) {
        return usage(
            QStringLiteral("unexpected argument \"%1\"").arg(arguments.positional().at(0)));
    }
    const bool fromCsv = arguments.isSet(QStringLiteral("cells"));
    if (fromCsv && arguments.isSet(QStringLiteral("db"))) {
        return usage(QStringLiteral("--cells and --db are two sources: give one"));
    }
    if (fromCsv && arguments.isSet(QStringLiteral("profile"))) {
        return usage(
            QStringLiteral("--profile chooses cells from the inventory, not from --cells"));
    }
    PackProblem problem;
    for (const auto& [name, target] : {std::pair(QStringLiteral("series"), &problem.series),
                                       std::pair(QStringLiteral("parallel"), &problem.parallel)}) {
        if (!arguments.isSet(name)) {
            return usage(QStringLiteral("--%1 is missing: the pack's layout needs --series S "
                                        "and --parallel P")
                             .arg(name));
        }
        const auto value = OptionValues::Whole(arguments.value(name), 1, 10000);
        if (!value) {
            return usage(OptionValues::Refusal(name, arguments.value(name),
                                               QStringLiteral("a whole number from 1 to 10000")));
        }
        *target = int(*value);
    }
    const QString objective = arguments.isSet(QStringLiteral("objective"))
                                  ? arguments.value(QStringLiteral("objective"))
                                  : QStringLiteral("capacity");
    if (objective == u"spread") {
        problem.objective = PackProblem::Objective::Spread;
    } else if (objective != u"capacity") {
        return usage(OptionValues::Refusal(QStringLiteral("objective"), objective,
                                           QStringLiteral("capacity or spread")));
    }
    const auto decimal = [&](const QString& name, double min, double max, const QString& what,
                             double& target) {
        if (!arguments.isSet(name)) {
            return true;
        }
        const auto numbers = OptionValues::Numbers(arguments.value(name));
        if (!numbers || numbers->size() != 1 || numbers->at(0) < min || numbers->at(0) > max) {
            console.message(QStringLiteral("pack: ") +
                            OptionValues::Refusal(name, arguments.value(name), what));
            return false;
        }
        target = numbers->at(0);
        return true;
    };
    if (!decimal(QStringLiteral("ir-ratio"), 1, 1000, QStringLiteral("a ratio of 1 or more"),
                 problem.irRatioMax) ||
        !decimal(QStringLiteral("parallel-ir"), 0.001, 1000, QStringLiteral("a percentage above 0"),
                 problem.parallelIrPercent) ||
        !decimal(QStringLiteral("time-limit"), 0.001, 86400,
                 QStringLiteral("seconds from 0.001 to 86400"), problem.timeLimitSeconds)) {
        return Exit::Usage;
    }
    if (arguments.isSet(QStringLiteral("seed"))) {
        const auto seed =
            OptionValues::Whole(arguments.value(QStringLiteral("seed")), 0, Q_INT64_C(1) << 62);
        if (!seed) {
            return usage(OptionValues::Refusal(QStringLiteral("seed"),
                                               arguments.value(QStringLiteral("seed")),
                                               QStringLiteral("a whole number of 0 or more")));
        }
        problem.seed = quint64(*seed);
    }
    const QString format = arguments.isSet(QStringLiteral("format"))
                               ? arguments.value(QStringLiteral("format"))
                               : QStringLiteral("text");
    if (format != u"text" && format != u"json" && format != u"csv") {
        return usage(OptionValues::Refusal(QStringLiteral("format"), format,
                                           QStringLiteral("text, json or csv")));
    }
    const QString map = arguments.value(QStringLiteral("map"));
    if (arguments.isSet(QStringLiteral("map")) &&
        !map.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) &&
        !map.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        return usage(OptionValues::Refusal(QStringLiteral("map"), map,
                                           QStringLiteral("a file ending in .pdf or .png")));
    }
    const QString save = arguments.value(QStringLiteral("save"));
    if (arguments.isSet(QStringLiteral("save")) && (fromCsv || save.trimmed().isEmpty())) {
        return usage(fromCsv ? QStringLiteral("--save writes into the inventory: it needs cells "
                                              "from the inventory, not --cells")
                             : QStringLiteral("--save needs the pack's name"));
    }

    std::vector<PackInput::Lock> locks;
    QString lockError;
    if (!PackInput::ParseLocks(arguments.values(QStringLiteral("lock")), locks, lockError)) {
        return usage(QStringLiteral("--lock: ") + lockError);
    }

    Inventory inventory;
    if (fromCsv) {
        const QString path = arguments.value(QStringLiteral("cells"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
        }
        QString error;
        if (!PackInput::ReadCsv(file, problem.cells, error)) {
            return failure(QStringLiteral("%1: %2").arg(path, error));
        }
    } else {
        const QString db = arguments.isSet(QStringLiteral("db"))
                               ? arguments.value(QStringLiteral("db"))
                               : Inventory::DefaultLocation();
        if (!inventory.open(db)) {
            return failure(inventory.error());
        }
        CellFilter filter;
        filter.profile = arguments.value(QStringLiteral("profile"));
        if (!filter.profile.isEmpty() && !inventory.profile(filter.profile)) {
            return failure(
                QStringLiteral("the inventory %1 has no profile \"%2\"").arg(db, filter.profile));
        }
        problem.cells = PackInput::FromInventory(inventory.loadCells(filter));
        if (!inventory.error().isEmpty()) {
            return failure(inventory.error());
        }
    }

    if (!PackInput::ApplyLocks(locks, problem.cells, lockError)) {
        return failure(QStringLiteral("--lock ") + lockError);
    }

    SystemClock clock;
    const PackResult result = PackMatcher::Solve(problem, clock, [&](const PackProgress& progress) {
        console.progress(
            QStringLiteral("%1 s: best %2 mAh, bound %3 mAh%4")
                .arg(progress.seconds, 0, 'f', 1)
                .arg(Figure(progress.bestMah), Figure(progress.boundMah),
                     progress.unmet ? QStringLiteral(", a rule still broken") : QString()));
        return true;
    });
    console.endProgress();
    if (result.status != PackResult::Status::Solved) {
        return failure(result.message);
    }
    if (!save.isEmpty()) {
        QVector<PackSlot> slots;
        for (size_t g = 0; g < result.groups.size(); ++g) {
            for (size_t k = 0; k < result.groups[g].cells.size(); ++k) {
                slots.append(
                    {problem.cells[size_t(result.groups[g].cells[k])].id, int(g) + 1, int(k) + 1});
            }
        }
        if (!inventory.savePack(save, slots)) {
            return failure(inventory.error());
        }
    }
    if (!map.isEmpty() && !WriteMap(problem, result, map, console)) {
        return Exit::Failure;
    }
    if (format == u"json") {
        Console::outBytes(QJsonDocument(Json(problem, result)).toJson(QJsonDocument::Compact) +
                          '\n');
    } else if (format == u"csv") {
        Console::outBytes(CsvRows(problem, result));
    } else {
        Console::outBytes(Text(problem, result));
    }
    return Exit::Success;
}
