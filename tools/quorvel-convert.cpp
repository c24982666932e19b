// quorvel-convert: converts observation files into coordinate files from the
// command line, with the same core and the same output bytes as the window.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/conversion.h"
#include "core/fileio.h"
#include "core/output_name.h"
#include "core/version.h"

namespace {

constexpr const char* kUsage =
    "Usage: quorvel-convert [--layout=1|2|3] [--axes=xeast|xnorth] [--force] [-o OUTPUT]\n"
    "                       OBSERVATION...\n"
    "Converts observation files into coordinate files.\n"
    "\n"
    "  --layout=N   output layout: 1 Autocogo 1 (default), 2 Autocogo 2, 3 Autocogo 3\n"
    "  --axes=A     X and Y of SDR raw data, which gives northings and eastings:\n"
    "               xeast: X east, Y north (default); xnorth: X north, Y east\n"
    "  --force      replace existing output files\n"
    "  -o OUTPUT    output file for a single observation file; - for standard output\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "Without -o, A.sdr is converted into A.dat, A.dat into A.out, and a name without\n"
    "that kind of extension gets .dat in place of its extension (or added). An\n"
    "OBSERVATION of - reads standard input and, without -o, writes standard output.\n"
    "A conversion that writes no coordinate line leaves the output file alone and\n"
    "counts as a failure (exit status 1).\n";

struct Options {
    int layout = 1;
    quorvel::Axes axes = quorvel::Axes::XEastYNorth;
    bool force = false;
    std::string output;
    bool hasOutput = false;
    std::vector<std::string> observations;
};

int usageError(const std::string& what) {
    std::fprintf(stderr, "quorvel-convert: %s\n%s", what.c_str(), kUsage);
    return 2;
}

// One line on standard error naming the file and the reason.
void report(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "quorvel-convert: %s: %s\n", path.c_str(), reason.c_str());
}

// Converts one file; true on success.
bool convertOne(const std::string& observation, const std::string& output, const Options& opt) {
    const bool toStdout = output == "-";
    if (!toStdout && !opt.force && quorvel::regularFileExists(output) &&
        !(observation != "-" && quorvel::sameFile(observation, output))) {
        report(output, "File Exists!");
        return false;
    }
    const quorvel::ConversionOutcome r = quorvel::convertFile(
        {observation, output, opt.layout, opt.axes, /*dashIsStandardStream=*/true});
    const bool nothing =
        r.failure && r.failure->kind == quorvel::ConversionFailure::Kind::NothingWritten;
    if (r.failure && !nothing) {
        if (r.failure->kind == quorvel::ConversionFailure::Kind::SameFile)
            report(output, "is the observation file itself");
        else
            report(r.failure->path, r.failure->reason);
        return false;
    }
    // A conversion that wrote nothing is a failure, told where failures go.
    std::FILE* messages = toStdout || nothing ? stderr : stdout;
    for (const std::string& part : quorvel::closingMessageParts(r.counts, output))
        if (!part.empty()) std::fprintf(messages, "%s\n", part.c_str());
    std::fflush(messages);
    return !nothing;
}

}  // namespace

int main(int argc, char* argv[]) {
    Options opt;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!options || arg == "-" || arg.empty() || arg[0] != '-') {
            opt.observations.emplace_back(arg);
        } else if (arg == "--") {
            options = false;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::fputs(quorvel::versionText("quorvel-convert").c_str(), stdout);
            return 0;
        } else if (arg == "--force" || arg == "-f") {
            opt.force = true;
        } else if (arg.rfind("--layout=", 0) == 0) {
            const std::string_view n = arg.substr(9);
            if (n != "1" && n != "2" && n != "3") return usageError("the layout is 1, 2 or 3");
            opt.layout = n[0] - '0';
        } else if (arg == "--axes=xeast" || arg == "--axes=xnorth") {
            opt.axes =
                arg == "--axes=xeast" ? quorvel::Axes::XEastYNorth : quorvel::Axes::XNorthYEast;
        } else if (arg.rfind("--axes=", 0) == 0) {
            return usageError("the axes are xeast or xnorth");
        } else if (arg == "-o" || arg == "--output") {
            if (i + 1 >= argc) return usageError("-o needs an output file");
            if (opt.hasOutput) return usageError("only one -o");
            opt.output = argv[++i];
            opt.hasOutput = true;
        } else {
            return usageError("unknown option " + std::string(arg));
        }
    }
    if (opt.observations.empty()) return usageError("no observation file");
    if (opt.hasOutput && opt.observations.size() != 1)
        return usageError("-o takes exactly one observation file");
    if (opt.hasOutput && opt.output.empty()) return usageError("empty output file name");

    bool ok = true;
    for (const std::string& observation : opt.observations) {
        std::string output = opt.output;
        if (!opt.hasOutput) output = observation == "-" ? "-" : quorvel::outputNameFor(observation);
        if (output.empty()) {
            report(observation, "no output name for a folder");
            ok = false;
            continue;
        }
        ok = convertOne(observation, output, opt) && ok;
    }
    return ok ? 0 : 1;
}
