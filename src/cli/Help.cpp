#include "cli/Help.h"

namespace Help {

namespace {

// Where an option's text starts in --help, when its term leaves room.
constexpr int TextColumn = 26;

Item option(QStringList names, const QString& value, const QString& text) {
    return {std::move(names), value, text, true};
}

Item term(const QString& name, const QString& text) {
    return {{name}, QString(), text, false};
}

Item help() {
    return option({QStringLiteral("h"), QStringLiteral("help")}, QString(),
                  QStringLiteral("Shows this help and exits."));
}

Item port() {
    return option({QStringLiteral("port")}, QStringLiteral("P"),
                  QStringLiteral("The meter's port: a COM number (\"COM3\" or \"3\", 1 to 16) or a "
                                 "device path. Default: COM 1."));
}

Item anyFile() {
    return option({QStringLiteral("any-file")}, QString(),
                  QStringLiteral("Reads FILE all the same when its first line is not the header "
                                 "of a recording or a saved list."));
}

Item paper() {
    return option({QStringLiteral("paper")}, QStringLiteral("SIZE"),
                  QStringLiteral("A4 (the default) or Letter."));
}

Item inventory() {
    return option({QStringLiteral("db")}, QStringLiteral("FILE"),
                  QStringLiteral("The cell inventory: an SQLite file, or a PostgreSQL database "
                                 "named by a connection URI such as "
                                 "postgresql://sorter@shop-server/cells, shared by several "
                                 "benches. The password comes from ~/.pgpass or PGPASSWORD, "
                                 "never from the URI. Default: "
                                 "~/.local/share/kelvomark/cells.sqlite (under $XDG_DATA_HOME)."));
}

Section options(QVector<Item> items) {
    items.append(help());
    return {QStringLiteral("Options"), {}, std::move(items), {}};
}

QVector<Page> makeCommandPages() {
    QVector<Page> pages;

    Page ports;
    ports.command = QStringLiteral("ports");
    ports.usage = {QStringLiteral("kelvomark-cli ports")};
    ports.summary = QStringLiteral("List the serial devices and the COM numbers they stand for.");
    ports.paragraphs = {
        QStringLiteral(
            "Prints the COM map as the Serial Devices window shows it, one device a line, its "
            "fields separated by TAB: the COM number (\"COM 3\", or \"-\" for a device that has "
            "none), the device path, what it is (USB adapter, built-in, pseudo-terminal, or "
            "unknown when the path names no device) and its state (free, busy, not permitted, "
            "missing), then the description, maker, USB id and serial number the system reports, "
            "where it reports them."),
        QStringLiteral(
            "Each device is opened and closed again to learn its state. A device that is "
            "not permitted needs your user in the dialout group: "
            "sudo adduser $USER dialout, then log out and in again.")};
    ports.sections = {options({})};
    pages.append(ports);

    Page read;
    read.command = QStringLiteral("read");
    read.usage = {
        QStringLiteral("kelvomark-cli read [--port P] [--count N] [--timeout S] "
                       "[--format text|tsv|json]")};
    read.summary = QStringLiteral("Print the live readings, one line each.");
    read.paragraphs = {
        QStringLiteral(
            "Prints each reading as it arrives (about four a second): the time (ISO 8601 with the "
            "local offset), the resistance text and its unit, the voltage text, the ranges and the "
            "status flags. The texts are exactly what the main window shows: a number, \"OL\", "
            "\"-OL\" or \"----\"."),
        QStringLiteral("text: time, resistance and unit, voltage and V, the ranges (\"40mOhm "
                       "4Voltage\"), then the flags in brackets when any is set."),
        QStringLiteral("tsv: time, resistance, unit (mOhm or Ohm), voltage, V, resistance range, "
                       "voltage range, range code (0 to 7), flags (comma-separated, or \"-\"), "
                       "separated by TAB."),
        QStringLiteral("json: one JSON object a line (JSON Lines) with the keys time, ohm, "
                       "ohm_text, ohm_unit, volt, volt_text, volt_unit, ohm_range, volt_range, "
                       "range_code, ohm_overload, volt_overload, volt_negative and "
                       "ohm_no_reading; ohm and volt are numbers, or null for \"OL\", \"-OL\" and "
                       "\"----\"."),
        QStringLiteral("The flags are ohm-overload, volt-overload, negative and no-reading. A "
                       "silence of five seconds (\"No COM\") and an adapter that was pulled are "
                       "told on standard error; the command goes on when the meter is back. It "
                       "ends after N readings, or on SIGINT or SIGTERM with status 0; with "
                       "--timeout S, when no reading has come for S seconds, with status 1.")};
    read.sections = {options({
        port(),
        option({QStringLiteral("count")}, QStringLiteral("N"),
               QStringLiteral("Ends after N readings (1 or more).")),
        option({QStringLiteral("timeout")}, QStringLiteral("S"),
               QStringLiteral("Ends with status 1 when no reading has come for S seconds, from "
                              "the start or since the last one (0, the default, waits for "
                              "ever).")),
        option({QStringLiteral("format")}, QStringLiteral("F"),
               QStringLiteral("text (the default), tsv or json.")),
    })};
    pages.append(read);

    Page record;
    record.command = QStringLiteral("record");
    record.usage = {
        QStringLiteral("kelvomark-cli record [--port P] --interval S [--duration D] "
                       "[--max-records N] [--continue] [--overwrite] [--quiet] FILE.Kmk")};
    record.summary = QStringLiteral("Record the live reading into a .Kmk file.");
    record.paragraphs = {
        QStringLiteral(
            "Records as the desktop program's Save does, into the same file form: the header line "
            "in the ranges of the first reading, then one numbered line every S seconds with its "
            "true date and time, TAB-separated, ended by CR LF. Each line is on the disk within a "
            "second. The recording starts with the first reading."),
        QStringLiteral(
            "While the meter is silent (\"No COM\") or its adapter is unplugged nothing is "
            "recorded, and the stamps show the gap; an unplugged adapter is opened again every "
            "second. A file holds at most 69,998 records. The recording stops when the file is "
            "full or when the meter changes range, with status 1 and a message that says why; "
            "with --continue it goes on into FILE-2.Kmk, FILE-3.Kmk and so on, each with its own "
            "header (a name already taken is skipped)."),
        QStringLiteral("SIGINT and SIGTERM (and SIGHUP) finish the line being written, close the "
                       "file and end with status 0, as do --duration and --max-records. On a "
                       "terminal a line of progress on standard error shows the records, the "
                       "time elapsed and the last reading."),
        QStringLiteral("An existing FILE is not overwritten without --overwrite, so that a "
                       "command run again never destroys a recording.")};
    record.sections = {options({
        port(),
        option({QStringLiteral("interval")}, QStringLiteral("S"),
               QStringLiteral("Seconds between records, 1 to 86400. Required.")),
        option({QStringLiteral("duration")}, QStringLiteral("D"),
               QStringLiteral("Ends D after the header line: seconds, or a number followed by "
                              "s, m, h or d (90m, 7d). The file then holds D/S records, in whole "
                              "records, while the meter sends throughout: --interval 2 "
                              "--duration 10 gives the header and 5 records. Before the first "
                              "reading, D counts from the start.")),
        option({QStringLiteral("max-records")}, QStringLiteral("N"),
               QStringLiteral("Ends after N records in all (1 or more).")),
        option({QStringLiteral("continue")}, QString(),
               QStringLiteral("After a range change or a full file, goes on in the next file.")),
        option({QStringLiteral("overwrite")}, QString(),
               QStringLiteral("Empties FILE if it exists.")),
        option({QStringLiteral("quiet")}, QString(), QStringLiteral("Shows no progress.")),
    })};
    pages.append(record);

    Page logger;
    logger.command = QStringLiteral("logger");
    logger.usage = {
        QStringLiteral("kelvomark-cli logger [--port P] [--timeout S] [--save-dump FILE]"),
        QStringLiteral("kelvomark-cli logger [--port P] --set N --start STAMP [--out FILE] "
                       "[--overwrite]"),
        QStringLiteral("kelvomark-cli logger [--port P] --all --start N=STAMP... --out-dir DIR "
                       "[--overwrite]"),
        QStringLiteral("kelvomark-cli logger [--port P] --all --start STAMP --same-start "
                       "--out-dir DIR [--overwrite]"),
        QStringLiteral("kelvomark-cli logger --from-dump FILE [--set N|--all ...]")};
    logger.summary = QStringLiteral("Download the data logger and list or save its sets.");
    logger.paragraphs = {
        QStringLiteral(
            "Downloads the meter's data logger (about 50 s for a full logger at 9600 baud), shows "
            "the progress on standard error on a terminal, and prints the sets as the Data Logger "
            "window lists them, one a line, TAB-separated: number, resistance range (\"400m "
            "Ohm\"), voltage range (\"40 Voltage\"), sampling seconds and records. The free "
            "logger memory goes to standard error. An empty logger prints nothing."),
        QStringLiteral(
            "With --set or --all the set's readings are listed from the starting time STAMP, "
            "\"yyyy/mm/dd hh:nn:ss\", read as the Input Starting Time prompt reads it, and "
            "written in the form the Data List window's Save writes: the header \"No.s\", "
            "\"   Date\", \"   Time\" and the set's ranges, then number, date, time, resistance "
            "and voltage, each field followed by TAB, lines ended by CR LF."),
        QStringLiteral(
            "Each set began at its own time: with --all, give --start N=STAMP once for each set "
            "N. Sets without one are named and nothing is written (status 2). One --start STAMP "
            "with --same-start lists every set from the same time."),
        QStringLiteral(
            "Every file to be written is checked before the download starts: a missing or "
            "unwritable folder, and a file that exists, end the command at once with status 1 "
            "(--overwrite replaces existing files). With --same-start every set-N.Kmk already in "
            "DIR counts as one to be written."),
        QStringLiteral(
            "A meter that stops in the middle of its answer for 5 s, a cancel (SIGINT or "
            "SIGTERM), a pulled adapter and a malformed answer end the command with status 1 and "
            "a message.")};
    logger.sections = {options({
        port(),
        option({QStringLiteral("set")}, QStringLiteral("N"),
               QStringLiteral("Lists set N (from 1) to --out FILE or standard output.")),
        option({QStringLiteral("all")}, QString(),
               QStringLiteral("Lists every set to DIR/set-N.Kmk.")),
        option({QStringLiteral("start")}, QStringLiteral("STAMP"),
               QStringLiteral("When the set's recording started, \"yyyy/mm/dd hh:nn:ss\"; needed "
                              "by --set and --all. N=STAMP names set N; with --all, give one "
                              "for each set.")),
        option({QStringLiteral("same-start")}, QString(),
               QStringLiteral("With --all and one --start STAMP: every set started then.")),
        option({QStringLiteral("out")}, QStringLiteral("FILE"),
               QStringLiteral("Where --set writes; standard output without it.")),
        option({QStringLiteral("out-dir")}, QStringLiteral("DIR"),
               QStringLiteral("The folder --all writes into; it must exist.")),
        option({QStringLiteral("save-dump")}, QStringLiteral("FILE"),
               QStringLiteral("Keeps the raw bytes of the meter's answer in FILE.")),
        option({QStringLiteral("overwrite")}, QString(),
               QStringLiteral("Replaces the files of --out, --out-dir and --save-dump that "
                              "exist.")),
        option({QStringLiteral("from-dump")}, QStringLiteral("FILE"),
               QStringLiteral("Reads a kept answer instead of a meter.")),
        option({QStringLiteral("timeout")}, QStringLiteral("S"),
               QStringLiteral("Gives up when the meter has not begun to answer after S seconds "
                              "(default 60; 0 waits for ever). The request is sent again every "
                              "0.3 s meanwhile.")),
    })};
    pages.append(logger);

    Page print;
    print.command = QStringLiteral("print");
    print.usage = {
        QStringLiteral("kelvomark-cli print FILE.Kmk --pdf OUT.pdf [--paper SIZE] [--any-file]")};
    print.summary = QStringLiteral("Print a .Kmk file as a ruled table into a PDF.");
    print.paragraphs = {QStringLiteral(
        "Reads FILE.Kmk as Open File does and writes the ruled table that Print in a list window "
        "lays out: every row, the header included, 11-point text, \"P-\" and the page number at "
        "the foot of each page. OUT.pdf is replaced only when the whole document is written. "
        "Needs no display. A file whose first line is not the header of a recording or a saved "
        "list (\"No.s\", \"Date\", \"Time\" and the two ranges) is refused with status 1 "
        "unless --any-file is given.")};
    print.sections = {options({
        option({QStringLiteral("pdf")}, QStringLiteral("OUT"),
               QStringLiteral("The PDF file to write. Required.")),
        paper(),
        anyFile(),
    })};
    pages.append(print);

    Page plot;
    plot.command = QStringLiteral("plot");
    plot.usage = {
        QStringLiteral("kelvomark-cli plot FILE.Kmk --png OUT.png|--pdf OUT.pdf "
                       "[--ohm MIN,MAX] [--volt MIN,MAX] [--rows FIRST,LAST] [--paper SIZE] "
                       "[--any-file]")};
    plot.summary = QStringLiteral("Draw the data plot of a .Kmk file as PNG or PDF.");
    plot.paragraphs = {
        QStringLiteral(
            "Draws the picture of the Plot Data/File window for FILE.Kmk: the resistance in blue "
            "over the upper half, the voltage in green over the full height with 0 V on the "
            "middle line. The PNG is the window's picture, 446 x 527 pixels; the PDF puts it on "
            "one page with its texts as text. Needs no display."),
        QStringLiteral(
            "The scales start at the file's ranges and the rows run over the whole file, as Plot "
            "in the file's window; --ohm, --volt and --rows set them as the Plot Range dialog "
            "does, and are refused (status 2) where the dialog refuses them. MIN is the value on "
            "the middle line, MAX the one on the top line; a middle value may stand between "
            "them (MIN,MID,MAX) when it is their mean, as the plot always labels it. A refusal "
            "names the one rule broken; rows beyond the file's records, and a reading that "
            "cannot be scaled, end with status 1."),
        QStringLiteral("A file whose first line is not the header of a recording or a saved list "
                       "is refused with status 1 unless --any-file is given.")};
    plot.sections = {options({
        option({QStringLiteral("png")}, QStringLiteral("OUT"),
               QStringLiteral("Writes the picture as PNG.")),
        option({QStringLiteral("pdf")}, QStringLiteral("OUT"),
               QStringLiteral("Writes the picture on a PDF page.")),
        option({QStringLiteral("ohm")}, QStringLiteral("MIN,MAX"),
               QStringLiteral("The resistance scale, within the file's range.")),
        option({QStringLiteral("volt")}, QStringLiteral("MIN,MAX"),
               QStringLiteral("The voltage scale, within the file's range.")),
        option({QStringLiteral("rows")}, QStringLiteral("FIRST,LAST"),
               QStringLiteral("The records to plot, numbered from 1.")),
        paper(),
        anyFile(),
    })};
    pages.append(plot);
    Page sort;
    sort.command = QStringLiteral("sort");
    sort.usage = {QStringLiteral(
        "kelvomark-cli sort [--port P] [--db FILE] [--profile NAME] [--prefix TEXT] [--count N] "
        "[--format text|tsv|json] [--ir-pass MOHM] [--ir-fail MOHM] [--volt-pass MIN,MAX] "
        "[--volt-warn MIN,MAX] [--settle K]")};
    sort.summary = QStringLiteral("Sort cells: capture each cell as the probes touch it.");
    sort.paragraphs = {
        QStringLiteral(
            "Touch a cell with the probes and hold still: when the last K readings (3 by default, "
            "about 0.75 s) are numbers in one range and agree within the larger of 1 % and 2 "
            "counts for the resistance and the larger of 0.2 % and 2 counts for the voltage, "
            "their median is captured, judged PASS, WARN or FAIL against the limits, stored in "
            "the cell inventory and printed, one line per capture. Lift the probes before the "
            "next cell: one touch gives one capture however long it lasts."),
        QStringLiteral(
            "Each capture gets the next free ID for the prefix (C0001, C0002 and so on). A line "
            "on standard input (an ID typed, or read by a barcode scanner that types it and "
            "Enter) names the next capture instead. An ID measured again in the same session is "
            "stored as a re-measure and flagged as one."),
        QStringLiteral(
            "A line is printed only once its capture is committed to the inventory, so a capture "
            "that was printed survives a crash or a power cut. On a terminal the state (\"Touch "
            "a cell\", \"Hold still\", \"Lift the probes\") is shown on standard error."),
        QStringLiteral("text: ID, time, verdict, resistance and unit, voltage and V, the bin "
                       "(\"-\" for none), then the reasons and \"remeasure\" where they apply."),
        QStringLiteral("tsv: id, time, ir_mohm, volt, ohm_text, ohm_unit, volt_text, verdict, "
                       "reasons (separated by \"; \", or \"-\"), bin (or \"-\") and remeasure "
                       "(true or false), separated by TAB."),
        QStringLiteral("json: one JSON object a line with the keys id, time (ISO 8601 with the "
                       "local offset), ir_mohm and volt (numbers, or null when not measured), "
                       "ohm_text, ohm_unit, volt_text, verdict (\"PASS\", \"WARN\" or \"FAIL\"), "
                       "reasons (a list of texts such as \"IR 72.4 mOhm above 70\"), bin (a name "
                       "or null), remeasure (true or false), uuid and session."),
        QStringLiteral("On a server, a bench gives IDs from a block of numbers it reserved there, "
                       "so two benches never give one ID. When the server cannot be reached, "
                       "sorting goes on: captures are kept in a journal on this machine (under "
                       "$XDG_DATA_HOME/kelvomark/journal/), one line on standard error says so, "
                       "and the server is tried every 5 s; when it is back the journal goes up "
                       "once, in the bench's order, and a line says so. A capture is printed "
                       "once it is committed on the server or in the journal."),
        QStringLiteral("It ends after N captures, or on SIGINT or SIGTERM with status 0 once the "
                       "last capture is committed.")};
    sort.sections = {options({
        port(),
        inventory(),
        option({QStringLiteral("profile")}, QStringLiteral("NAME"),
               QStringLiteral("The profile in the inventory whose limits and bins judge each "
                              "cell (see \"kelvomark-cli cells profiles\"). Without it, and "
                              "without limits below, every measured cell passes.")),
        option({QStringLiteral("prefix")}, QStringLiteral("TEXT"),
               QStringLiteral("The prefix of new IDs. Default: C.")),
        option({QStringLiteral("count")}, QStringLiteral("N"),
               QStringLiteral("Ends after N captures (1 or more).")),
        option({QStringLiteral("format")}, QStringLiteral("F"),
               QStringLiteral("text (the default), tsv or json.")),
        option({QStringLiteral("ir-pass")}, QStringLiteral("MOHM"),
               QStringLiteral("Passes a resistance at or below MOHM milliohms; over the "
                              "profile's limit.")),
        option({QStringLiteral("ir-fail")}, QStringLiteral("MOHM"),
               QStringLiteral("Fails a resistance above MOHM milliohms; between the two it is "
                              "WARN.")),
        option({QStringLiteral("volt-pass")}, QStringLiteral("MIN,MAX"),
               QStringLiteral("The voltage window for PASS, in volts.")),
        option({QStringLiteral("volt-warn")}, QStringLiteral("MIN,MAX"),
               QStringLiteral("The wider voltage window for WARN; outside it the cell fails.")),
        option({QStringLiteral("settle")}, QStringLiteral("K"),
               QStringLiteral("Readings that must agree before a capture, 1 to 40. Default: "
                              "3.")),
    })};
    pages.append(sort);

    Page cells;
    cells.command = QStringLiteral("cells");
    cells.usage = {
        QStringLiteral("kelvomark-cli cells [--db FILE] init"),
        QStringLiteral("kelvomark-cli cells [--db FILE] list"),
        QStringLiteral("kelvomark-cli cells [--db FILE] show ID"),
        QStringLiteral("kelvomark-cli cells [--db FILE] export [--out FILE.csv]"),
        QStringLiteral("kelvomark-cli cells [--db FILE] import-capacity FILE.csv"),
        QStringLiteral("kelvomark-cli cells [--db FILE] profiles"),
        QStringLiteral("kelvomark-cli cells [--db FILE] profile-set NAME [--ir-pass MOHM] "
                       "[--ir-fail MOHM] [--volt-pass MIN,MAX] [--volt-warn MIN,MAX] "
                       "[--self-discharge MV_PER_DAY] [--bins BINS]"),
        QStringLiteral("kelvomark-cli cells [--db FILE] profile-remove NAME"),
        QStringLiteral("kelvomark-cli cells [--db FILE] upload")};
    cells.summary = QStringLiteral("List, show, export and update the cell inventory.");
    cells.paragraphs = {
        QStringLiteral("init: makes the inventory's schema, or brings an older one up to date, "
                       "and says its version; a schema newer than this program is refused and "
                       "left as it is. Every command does the same when it opens the "
                       "inventory."),
        QStringLiteral("list: one cell a line with its latest measurement, separated by TAB: "
                       "ID, profile, capacity in mAh (or \"-\"), time, resistance in mOhm, "
                       "voltage, verdict, bin and the bench that measured it, as host:port "
                       "(\"-\" where there is none)."),
        QStringLiteral("show ID: the cell, its self-discharge in mV/day once a day has passed "
                       "since its first measurement, and every measurement, deleted ones "
                       "marked."),
        QStringLiteral("export: every measurement as CSV (RFC 4180, UTF-8, \".\" decimals), one "
                       "row each, under the header id, time, ir_mohm, volt, ohm_text, ohm_unit, "
                       "volt_text, verdict, reasons, bin, remeasure, deleted, session, host, "
                       "port, uuid; to standard output, or to FILE.csv with --out."),
        QStringLiteral("import-capacity: sets the capacities from a CSV with the header "
                       "\"id,capacity_mah\" (an empty capacity clears it), all or nothing; IDs "
                       "the inventory does not hold are named on standard error."),
        QStringLiteral("profiles: one profile a line: name, IR pass and fail limits, the PASS "
                       "and WARN voltage windows, the self-discharge limit and the bins."),
        QStringLiteral("profile-set NAME: saves the profile NAME with the limits and bins given, "
                       "replacing a profile of that name whole: a limit not given is not set. "
                       "Limits that contradict each other are refused and nothing is saved."),
        QStringLiteral("profile-remove NAME: removes the profile; the cells and measurements "
                       "judged by it stay as they are."),
        QStringLiteral("upload: on a server, uploads the captures this machine kept while the "
                       "server could not be reached; each goes up once, however often it is "
                       "tried. Every action does this first, and fails while the server cannot "
                       "be reached.")};
    cells.sections = {options({
        inventory(),
        option({QStringLiteral("out")}, QStringLiteral("FILE"),
               QStringLiteral("export: writes the CSV into FILE instead of standard output; an "
                              "existing FILE is replaced only once the export is complete.")),
        option({QStringLiteral("ir-pass")}, QStringLiteral("MOHM"),
               QStringLiteral("profile-set: passes a resistance at or below MOHM milliohms.")),
        option({QStringLiteral("ir-fail")}, QStringLiteral("MOHM"),
               QStringLiteral("profile-set: fails a resistance above MOHM milliohms; between the "
                              "two it is WARN.")),
        option({QStringLiteral("volt-pass")}, QStringLiteral("MIN,MAX"),
               QStringLiteral("profile-set: the voltage window for PASS, in volts.")),
        option({QStringLiteral("volt-warn")}, QStringLiteral("MIN,MAX"),
               QStringLiteral("profile-set: the wider voltage window for WARN; outside it the "
                              "cell fails.")),
        option({QStringLiteral("self-discharge")}, QStringLiteral("MV_PER_DAY"),
               QStringLiteral("profile-set: fails a cell that lost more than this since its "
                              "first measurement, in mV a day.")),
        option({QStringLiteral("bins")}, QStringLiteral("BINS"),
               QStringLiteral("profile-set: the bins, on the resistance (\"ir:\") or the "
                              "voltage (\"volt:\"), each NAME<=EDGE in rising order, the last "
                              "one may be a NAME alone for everything above: "
                              "\"ir:A<=40,B<=60,C\". \"none\" for no bins.")),
    })};
    pages.append(cells);

    Page pack;
    pack.command = QStringLiteral("pack");
    pack.usage = {QStringLiteral(
        "kelvomark-cli pack (--db FILE [--profile NAME] | --cells FILE.csv) --series S "
        "--parallel P [--objective capacity|spread] [--ir-ratio R] [--time-limit S] [--seed N] "
        "[--format text|json|csv] [--map OUT.pdf|OUT.png] [--lock ID=GROUP ...]")};
    pack.summary = QStringLiteral(
        "Match cells into a pack of S groups in series of P in "
        "parallel.");
    pack.paragraphs = {
        QStringLiteral(
            "The pack's capacity is its weakest group's. By default the matcher makes that as "
            "large as it can be; --objective spread makes the largest group minus the smallest "
            "as small as it can be. It starts from a balanced largest-differencing deal, then "
            "swaps one and two cells between groups and with the cells left over, until it "
            "reaches the proven bound (for the capacity, the best S×P cells' total over S, "
            "rounded down for whole mAh) or the time limit. The same --seed gives the same "
            "answer whenever the search ends before its time limit."),
        QStringLiteral(
            "The cells come from the inventory (measured cells that passed, whose capacity is "
            "known and that are in no pack yet; --profile chooses one cell model) or from a CSV "
            "file whose header row names id and capacity_mah, and may name ir_mohm and volt, in "
            "any order; other columns are ignored. A cell without a resistance is left out "
            "when a resistance rule is given. With more cells than S×P, the matcher chooses "
            "which to leave out."),
        QStringLiteral("text: the pack, the bound and the gap, then one group a line: capacity, "
                       "parallel resistance 1/Σ(1/r) in mOhm, largest over smallest resistance, "
                       "and the cells' IDs by slot."),
        QStringLiteral("json: one object with series, parallel, objective, groups (each with "
                       "group, cells as a list of IDs by slot, capacity_mah, ir_mohm for its "
                       "parallel resistance and ir_ratio), min_group_mah, max_group_mah, "
                       "spread_mah, bound_mah, gap_mah, bound_reached, pack_ir_mohm (the groups' "
                       "resistances added up), largest_ir_ratio, unused (IDs), seed and "
                       "seconds."),
        QStringLiteral("csv: one row a cell under the header id, group, slot, capacity_mah, "
                       "ir_mohm, volt, in series and slot order; the cells left out last, with "
                       "no group."),
        QStringLiteral("A layout the cells cannot fill, or a rule that no pack meets, ends "
                       "with status 1 and a message that says which.")};
    pack.sections = {options({
        inventory(),
        option({QStringLiteral("profile")}, QStringLiteral("NAME"),
               QStringLiteral("Only the inventory's cells of this profile.")),
        option({QStringLiteral("cells")}, QStringLiteral("FILE"),
               QStringLiteral("The cells from a CSV file instead of the inventory.")),
        option({QStringLiteral("series")}, QStringLiteral("S"),
               QStringLiteral("The number of groups in series.")),
        option({QStringLiteral("parallel")}, QStringLiteral("P"),
               QStringLiteral("The number of cells in each group.")),
        option({QStringLiteral("objective")}, QStringLiteral("O"),
               QStringLiteral("capacity (the default) or spread.")),
        option({QStringLiteral("ir-ratio")}, QStringLiteral("R"),
               QStringLiteral("In each group, the largest resistance over the smallest is at "
                              "most R (for example 1.2).")),
        option({QStringLiteral("parallel-ir")}, QStringLiteral("PCT"),
               QStringLiteral("The groups' parallel resistances are within PCT % of each "
                              "other.")),
        option({QStringLiteral("lock")}, QStringLiteral("ID=GROUP"),
               QStringLiteral("Puts the cell ID into group GROUP (1 to S), for example a cell "
                              "already welded in; once for each cell.")),
        option({QStringLiteral("time-limit")}, QStringLiteral("S"),
               QStringLiteral("Seconds the search may take. Default: 2.")),
        option({QStringLiteral("seed")}, QStringLiteral("N"),
               QStringLiteral("The seed of the search's random swaps. Default: 1.")),
        option({QStringLiteral("format")}, QStringLiteral("F"),
               QStringLiteral("text (the default), json or csv.")),
        option({QStringLiteral("save")}, QStringLiteral("NAME"),
               QStringLiteral("Writes each cell's pack, group and slot into the inventory "
                              "under the pack's name, so that the next pack does not offer "
                              "them.")),
        option({QStringLiteral("map")}, QStringLiteral("OUT"),
               QStringLiteral("Draws the assembly map into OUT, a PDF page or a PNG picture by "
                              "its ending: the groups as columns of cells by slot, each with "
                              "its ID, capacity and resistance, shaded and named low, mid or "
                              "high by its resistance.")),
    })};
    pages.append(pack);
    return pages;
}

Page makeProgramPage() {
    Page page;
    page.usage = {QStringLiteral("kelvomark-cli COMMAND [OPTIONS] [ARGUMENTS]"),
                  QStringLiteral("kelvomark-cli help [COMMAND]"),
                  QStringLiteral("kelvomark-cli --version")};
    page.summary = QStringLiteral("read, record and download a battery meter without a desktop");
    page.paragraphs = {
        QStringLiteral(
            "Reads, records and downloads the Kelvomark battery meter (internal resistance and "
            "voltage, on a serial link at 9600 baud) with no desktop, and prints and plots its "
            "recordings. It writes exactly the files the desktop program kelvomark writes, so "
            "either program opens what the other made."),
        QStringLiteral("Data goes to standard output and nothing else does; messages go to "
                       "standard error, and progress too when it is a terminal.")};

    Section commands{QStringLiteral("Commands"), {}, {}, {}};
    for (const Page& command : commandPages()) {
        commands.items.append(term(command.command, command.summary));
    }
    commands.paragraphs = {
        QStringLiteral("\"kelvomark-cli COMMAND --help\" shows the options of a command.")};

    Section ports{
        QStringLiteral("Ports"),
        {QStringLiteral(
            "--port takes a COM number (\"COM3\", \"COM 3\" or \"3\") or a device path such as "
            "/dev/ttyUSB0 or a /dev/serial/by-id/ link. COM n stands for the path in the "
            "environment variable KELVOMARK_COMn when it is set; the other numbers, lowest "
            "first, go to the serial devices the system reports, USB adapters first (see "
            "\"kelvomark-cli ports\"). The default is COM 1, as in the desktop's port dialog.")},
        {},
        {}};

    Section exit{QStringLiteral("Exit status"),
                 {},
                 {term(QStringLiteral("0"), QStringLiteral("Success.")),
                  term(QStringLiteral("1"),
                       QStringLiteral("A failure: the message on standard error names the file "
                                      "or port and the reason.")),
                  term(QStringLiteral("2"),
                       QStringLiteral("Bad usage: an unknown command or option, a missing "
                                      "argument, a value out of range."))},
                 {}};

    Section environment{
        QStringLiteral("Environment"),
        {},
        {term(QStringLiteral("KELVOMARK_COMn"),
              QStringLiteral("The device path that COM n (1 to 16) stands for.")),
         term(QStringLiteral("QT_QPA_PLATFORM"),
              QStringLiteral("The Qt platform that print and plot draw on; \"offscreen\" when "
                             "it is not set. No display is needed."))},
        {}};

    Section examples{QStringLiteral("Examples"),
                     {},
                     {},
                     {QStringLiteral("kelvomark-cli ports"),
                      QStringLiteral("kelvomark-cli read --count 4 --format json"),
                      QStringLiteral("kelvomark-cli record --interval 10 --duration 7d --continue "
                                     "cell-07.Kmk"),
                      QStringLiteral("kelvomark-cli logger --port COM2"),
                      QStringLiteral("kelvomark-cli sort --ir-pass 60 --ir-fail 100 --volt-pass "
                                     "3.5,4.2 --format json"),
                      QStringLiteral("kelvomark-cli cells export --out cells.csv"),
                      QStringLiteral("kelvomark-cli pack --cells cells.csv --series 14 "
                                     "--parallel 10 --ir-ratio 1.2 --format json"),
                      QStringLiteral("kelvomark-cli logger --set 2 --start \"2021/07/01 10:00:00\" "
                                     "--out set-2.Kmk"),
                      QStringLiteral("kelvomark-cli print cell-07.Kmk --pdf cell-07.pdf"),
                      QStringLiteral("kelvomark-cli plot cell-07.Kmk --png cell-07.png --rows "
                                     "1,360")}};

    Section seeAlso{
        QStringLiteral("See also"),
        {QStringLiteral("kelvomark(1), the desktop program; kelvomark-sim(1), the meter "
                        "simulator, for trying every command without a meter."),
         QStringLiteral("The user manual, chapter \"The command line\": Help in the desktop "
                        "program kelvomark opens it (share/kelvomark/help/english.pdf under the "
                        "installation prefix).")},
        {},
        {}};

    page.sections = {commands,
                     ports,
                     {QStringLiteral("Options"),
                      {},
                      {option({QStringLiteral("h"), QStringLiteral("help")}, QString(),
                              QStringLiteral("Shows this help and exits.")),
                       option({QStringLiteral("v"), QStringLiteral("version")}, QString(),
                              QStringLiteral("Shows the version and exits."))},
                      {}},
                     exit,
                     environment,
                     examples,
                     seeAlso};
    return page;
}

// Words of `text` on lines of at most `width` columns, each line led by `indent` blanks.
QStringList wrap(const QString& text, int indent, int width) {
    QStringList lines;
    QString line;
    const QString lead(indent, u' ');
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines.append(line);
            line.clear();
        }
        line += (line.isEmpty() ? lead : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty()) {
        lines.append(line);
    }
    return lines;
}

}  // namespace

QString Item::term() const {
    if (!isOption) {
        return names.join(QStringLiteral(", "));
    }
    QStringList written;
    for (const QString& name : names) {
        written.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    }
    QString result = written.join(QStringLiteral(", "));
    if (!value.isEmpty()) {
        result += u' ' + value;
    }
    return result;
}

QVector<Item> Page::options() const {
    QVector<Item> all;
    for (const Section& section : sections) {
        for (const Item& item : section.items) {
            if (item.isOption) {
                all.append(item);
            }
        }
    }
    return all;
}

QString programName() {
    return QStringLiteral("kelvomark-cli");
}

QString version() {
    return QStringLiteral(KELVOMARK_VERSION);
}

const QVector<Page>& commandPages() {
    static const QVector<Page> pages = makeCommandPages();
    return pages;
}

const Page& programPage() {
    static const Page page = makeProgramPage();
    return page;
}

const Page* pageFor(const QString& command) {
    for (const Page& page : commandPages()) {
        if (page.command == command) {
            return &page;
        }
    }
    return nullptr;
}

QString text(const Page& page, int width) {
    QStringList lines;
    for (int i = 0; i < page.usage.size(); ++i) {
        // A long usage goes on below, indented past "Usage: ".
        QStringList usage = wrap(page.usage.at(i), 11, width);
        usage.first() = (i == 0 ? QStringLiteral("Usage: ") : QStringLiteral("       ")) +
                        usage.first().mid(11);
        lines += usage;
    }
    for (const QString& paragraph : page.paragraphs) {
        lines.append(QString());
        lines += wrap(paragraph, 0, width);
    }
    for (const Section& section : page.sections) {
        lines.append(QString());
        lines.append(section.title + u':');
        for (const Item& item : section.items) {
            const QString term = QStringLiteral("  ") + item.term();
            QStringList body = wrap(item.text, TextColumn, width);
            if (term.size() + 2 <= TextColumn && !body.isEmpty()) {
                body.first().replace(0, term.size(), term);
            } else {
                lines.append(term);
            }
            lines += body;
        }
        for (const QString& paragraph : section.paragraphs) {
            lines += wrap(paragraph, 2, width);
        }
        for (const QString& verbatim : section.verbatim) {
            lines.append(QStringLiteral("  ") + verbatim);
        }
    }
    return lines.join(u'\n') + u'\n';
}

}  // namespace Help
