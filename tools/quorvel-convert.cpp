// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-convert: converts observation files into coordinate files from the
// command line, with the same core and the same output bytes as the window.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/conversion.h"
#include "core/fileio.h"
#include "core/output_format.h"
#include "core/output_name.h"
#include "core/points.h"
#include "core/version.h"
#ifdef QUORVEL_PLOT
#include <QFile>
#include <QGuiApplication>

#include "plan/Plan.h"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: quorvel-convert [--layout=1|2|3 | --format=csv|dxf|landxml]\n"
    "                       [--axes=xnorth|xeast] [--force] [-o OUTPUT]\n"
    "                       [--plot PLAN.png|PLAN.svg] OBSERVATION...\n"
    "       quorvel-convert --check [--layout=N | --format=F] [--axes=A] OBSERVATION...\n"
    "Converts observation files into coordinate files.\n"
    "\n"
    "  --layout=N     output layout: 1 Autocogo 1 (default), 2 Autocogo 2, 3 Autocogo 3\n"
    "  --format=F     csv: CSV with a header line; dxf: a DXF drawing (R12) with the\n"
    "                 points on a layer per code; landxml: LandXML 1.2 CgPoints\n"
    "  --axes=A       xnorth: X north, Y east (default); xeast: X east, Y north.\n"
    "                 Turns the northings and eastings of SDR raw data into X and Y,\n"
    "                 and tells DXF and LandXML which of X and Y is the easting\n"
    "  -f, --force    replace existing output files\n"
    "  -o OUTPUT, --output=OUTPUT\n"
    "                 output file (a file name, not a folder) for a single\n"
    "                 observation file; - for standard output\n"
    "  --plot PLAN    also draw the plan of the points of one observation file:\n"
    "                 a PNG image when PLAN ends in .png, an SVG drawing for .svg\n"
    "  --check        write nothing: list what deserves a look before the points are\n"
    "                 used, one line \"file: warning\" each (a point number at two\n"
    "                 positions, points at 0/0 far from the rest, points far from the\n"
    "                 rest, lines not written, no coordinate lines); exit status 0\n"
    "                 without warnings, 1 with warnings, 2 when a file cannot be read\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Options take their value as --layout=3 or --layout 3, -oFILE or -o FILE; -- ends\n"
    "the options. Without -o, A.sdr is converted into A.dat, A.dat into A.out, and a\n"
    "name without that kind of extension gets .dat in place of its extension (or\n"
    "added); CSV, DXF and LandXML get .csv, .dxf and .xml. An OBSERVATION of - reads\n"
    "standard input and, without -o, writes standard output. A conversion that\n"
    "writes no coordinate line leaves the output file alone and counts as a failure\n"
    "(exit status 1), as does a second OBSERVATION whose output is the first one's.\n";

struct Options {
    quorvel::OutputFormat format = quorvel::OutputFormat::Autocogo1;
    quorvel::Axes axes = quorvel::Axes::XNorthYEast;
    bool force = false;
    std::string output;
    bool hasOutput = false;
    std::vector<std::string> observations;
    bool batch = false;  // more than one file: each message names its file
    bool check = false;
    std::string plot;
};

int usageError(const std::string& what) {
    std::fprintf(stderr, "quorvel-convert: %s\n%s", what.c_str(), kUsage);
    return 2;
}

// One line on standard error naming the file and the reason; in a batch, the
// observation file it came from first.
void report(const Options& opt, const std::string& observation, const std::string& path,
            const std::string& reason) {
    const std::string from = opt.batch && path != observation ? observation + ": " : "";
    std::fprintf(stderr, "quorvel-convert: %s%s: %s\n", from.c_str(), path.c_str(), reason.c_str());
}

// Reads the points of `observation` ("-": standard input) as its conversion would;
// false, with the reason told, when it cannot be read.
bool readPointsOf(const std::string& observation, const Options& opt, quorvel::PointList& points) {
    quorvel::InFile in;
    if (observation == "-")
        in.adopt(stdin, "-");
    else if (!in.open(observation)) {
        report(opt, observation, observation, in.error().reason());
        return false;
    }
    if (quorvel::readPoints(in, {opt.format, opt.axes}, points) == quorvel::PassResult::Ok)
        return true;
    report(opt, observation, observation, in.error().reason());
    return false;
}

// Exit statuses of --check, for scripts.
enum Checked { kClean = 0, kWarned = 1, kUnread = 2 };

// Prints the warnings of one file.
Checked checkOne(const std::string& observation, const Options& opt) {
    quorvel::PointList points;
    if (!readPointsOf(observation, opt, points)) return kUnread;
    for (const quorvel::WarningSummary& w : points.warnings)
        std::printf("%s: %s\n", observation.c_str(), w.text.c_str());
    std::fflush(stdout);
    return points.warnings.empty() ? kClean : kWarned;
}

// Whether `path` ends in `extension` (".png"), in any case.
bool endsWith(const std::string& path, std::string_view extension) {
    if (path.size() < extension.size()) return false;
    for (std::size_t i = 0; i < extension.size(); ++i) {
        const char c = path[path.size() - extension.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != extension[i]) return false;
    }
    return true;
}

#ifdef QUORVEL_PLOT
// Draws the plan of `observation` into `path`, as PNG or SVG by its extension; true on
// success.
bool plotOne(const std::string& observation, const std::string& path, const Options& opt) {
    quorvel::PointList points;
    if (!readPointsOf(observation, opt, points)) return false;
    // The drawing needs the toolkit's fonts, not a screen; its notes on the set-up
    // (a missing runtime folder) are no concern of the user's.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "quorvel-convert: %s\n", qPrintable(text));
    });
    int argc = 1;
    char name[] = "quorvel-convert";
    char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);
    QString error;
    const plan::Plan plan = plan::Plan::from(points, opt.axes);
    const QString target = QFile::decodeName(path.c_str());
    if (endsWith(path, ".png") ? plan::writePng(plan, target, QSize(1200, 900), &error)
                               : plan::writeSvg(plan, target, QSize(1200, 900), &error))
        return true;
    report(opt, observation, path, error.toStdString());
    return false;
}
#endif

// Converts one file; true on success.
bool convertOne(const std::string& observation, const std::string& output, const Options& opt) {
    const bool toStdout = output == "-";
    // The observation file itself is refused by the conversion, with its own message.
    const quorvel::OutputTarget target = quorvel::outputTarget(output, {observation});
    if (!toStdout && !opt.force && target.taken && (observation == "-" || !target.source)) {
        report(opt, observation, output, "File Exists! use --force to replace it");
        return false;
    }
    const quorvel::ConversionOutcome r = quorvel::convertFile(
        {observation, output, opt.format, opt.axes, /*dashIsStandardStream=*/true});
    const bool nothing =
        r.failure && r.failure->kind == quorvel::ConversionFailure::Kind::NothingWritten;
    if (r.failure && !nothing) {
        std::error_code ec;
        if (r.failure->kind == quorvel::ConversionFailure::Kind::SameFile)
            report(opt, observation, output, "is the observation file itself");
        else if (r.failure->kind == quorvel::ConversionFailure::Kind::Output &&
                 std::filesystem::is_directory(output, ec))
            report(opt, observation, r.failure->path, r.failure->reason + ": give a file name");
        else
            report(opt, observation, r.failure->path, r.failure->reason);
        return false;
    }
    // A conversion that wrote nothing is a failure, told where failures go.
    std::FILE* messages = toStdout || nothing ? stderr : stdout;
    std::vector<std::string> parts = quorvel::closingMessageParts(r.counts, output);
    if (opt.batch) {
        // One line a file, then what was not written, each naming the file.
        std::vector<std::string> lines{
            nothing ? parts.front()
                    : std::to_string(r.counts.written) + " coordinate lines written to " + output +
                          (quorvel::isLayout(opt.format) ? ", layout " : ", format ") +
                          std::string(quorvel::formatName(opt.format))};
        for (const std::string& detail : quorvel::closingMessageDetails(r.counts))
            lines.push_back(detail);
        for (std::string& line : lines) line = observation + ": " + line;
        parts = std::move(lines);
    }
    for (const std::string& part : parts)
        if (!part.empty()) std::fprintf(messages, "%s\n", part.c_str());
    std::fflush(messages);
    return !nothing;
}

}  // namespace

int main(int argc, char* argv[]) {
    Options opt;
    CLI::App app("Converts observation files into coordinate files.", "quorvel-convert");
    app.set_help_flag("-h,--help");
    app.set_version_flag("--version", quorvel::versionText("quorvel-convert"));
    std::string layout, format, axes;
    CLI::Option* layoutOption =
        app.add_option("--layout", layout)->check(CLI::IsMember({"1", "2", "3"}));
    std::vector<std::string> formats{"csv"};
    if (quorvel::kLibraryFormats) formats.insert(formats.end(), {"dxf", "landxml"});
    CLI::Option* formatOption = app.add_option("--format", format)->check(CLI::IsMember(formats));
    layoutOption->excludes(formatOption);
    app.add_option("--axes", axes)->check(CLI::IsMember({"xeast", "xnorth"}));
    app.add_flag("-f,--force", opt.force);
    app.add_flag("--check", opt.check);
#ifdef QUORVEL_PLOT
    app.add_option("--plot", opt.plot);
#endif
    CLI::Option* outputOption = app.add_option("-o,--output", opt.output)->type_name("OUTPUT");
    app.add_option("OBSERVATION", opt.observations);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(kUsage, stdout);
        return 0;
    } catch (const CLI::CallForVersion& e) {
        std::fputs(e.what(), stdout);
        return 0;
    } catch (const CLI::ParseError& e) {
        return usageError(e.what());
    }
    if (!layout.empty()) opt.format = *quorvel::outputFormatNumbered(layout[0] - '0');
    if (!format.empty())
        opt.format = format == "csv"   ? quorvel::OutputFormat::Csv
                     : format == "dxf" ? quorvel::OutputFormat::Dxf
                                       : quorvel::OutputFormat::LandXml;
    if (axes == "xeast") opt.axes = quorvel::Axes::XEastYNorth;
    opt.hasOutput = outputOption->count() > 0;
    opt.batch = opt.observations.size() > 1;
    if (opt.observations.empty()) return usageError("no observation file");
    if (opt.check && (opt.hasOutput || !opt.plot.empty()))
        return usageError("--check writes no output");
    if (opt.check) {
        Checked worst = kClean;
        for (const std::string& observation : opt.observations)
            worst = std::max(worst, checkOne(observation, opt));
        return worst;
    }
    if (opt.hasOutput && opt.observations.size() != 1)
        return usageError("-o takes exactly one observation file");
    if (opt.hasOutput && opt.output.empty()) return usageError("empty output file name");
    if (!opt.plot.empty()) {
        if (opt.observations.size() != 1 || opt.observations[0] == "-")
            return usageError("--plot takes exactly one observation file, not " +
                              (opt.observations.size() != 1
                                   ? std::to_string(opt.observations.size())
                                   : std::string("standard input")));
        // The plan is written after the conversion: never over either of its files,
        // also where the output takes the proposed name and does not exist yet.
        const std::string& observation = opt.observations[0];
        const std::string output =
            opt.hasOutput ? opt.output : quorvel::outputNameFor(observation, opt.format);
        const quorvel::OutputTarget plan = quorvel::outputTarget(opt.plot, {observation, output});
        if (plan.source) {
            report(opt, observation, opt.plot, "is the observation or output file");
            return 1;
        }
        if (!endsWith(opt.plot, ".png") && !endsWith(opt.plot, ".svg"))
            return usageError("--plot " + opt.plot + ": the plan's name ends in .png or .svg");
        if (!opt.force && plan.taken) {
            report(opt, observation, opt.plot, "File Exists! use --force to replace it");
            return 1;
        }
    }

    bool ok = true;
    // Output file (links resolved) -> the observation file that took it in this run.
    std::map<std::filesystem::path, std::string> taken;
    for (const std::string& observation : opt.observations) {
        std::string output = opt.output;
        if (!opt.hasOutput)
            output = observation == "-" ? "-" : quorvel::outputNameFor(observation, opt.format);
        if (output.empty()) {
            report(opt, observation, observation, "no output name for a folder");
            ok = false;
            continue;
        }
        // A second conversion into one file would replace the first one's points.
        std::error_code ec;
        std::filesystem::path place = std::filesystem::weakly_canonical(output, ec);
        if (ec) place = output;
        const auto [first, isNew] = taken.try_emplace(place, observation);
        if (output != "-" && !isNew) {
            report(opt, observation, output,
                   "also the output of " + first->second + "; use -o to give it another name");
            ok = false;
            continue;
        }
        ok = convertOne(observation, output, opt) && ok;
#ifdef QUORVEL_PLOT
        if (ok && !opt.plot.empty()) ok = plotOne(observation, opt.plot, opt);
#endif
    }
    return ok ? 0 : 1;
}
