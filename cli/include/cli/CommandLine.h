// The command-line conventions every program of the suite follows:
//
//   --help, --version   the usage or "NAME VERSION" on standard output, exit 0,
//                       nothing else done
//   a usage error       "NAME: what is wrong" and the usage (or a pointer to
//                       --help) on standard error, exit kExitUsage
//   a failure           "NAME: what failed: FILE: reason" on standard error,
//                       exit kExitFailed
//
// Programs parsed with CLI11 go through Parse(); programs with a hand-made
// command line (the patcher, its helper, the small examples) ask
// AskedHelpOrVersion() first and report with UsageError().
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
// EX_USAGE of sysexits.h; 2 is taken by the patcher's self-update hand-over.
constexpr int kExitUsage = 64;

// The suite's version, as the build names it ("1.0").
const char* Version();
// "NAME VERSION\n"
std::string VersionLine(const std::string& name);

// Writes "NAME: what" and then usage, or "Try 'NAME --help'." when usage is
// empty, to err; returns kExitUsage.
int UsageError(std::ostream& err, const std::string& name, const std::string& what,
               const std::string& usage = "");

// "NAME: what: file: reason", leaving out the parts that are empty.
std::string FailureLine(const std::string& name, const std::string& what,
                        const std::string& file = "", const std::string& reason = "");

enum class Asked { kNothing, kHelp, kVersion };
// Whether a hand-made command line (without the program's name) asks for the
// usage (--help, -h) or the version (--version) anywhere before a "--".
Asked AskedHelpOrVersion(const std::vector<std::string>& args);

// Adds --version to app (CLI11 has --help already), names the program and
// parses args (without the program's name). Returns nullopt when the program
// should go on with what was parsed, else the exit code: 0 after printing
// the usage or the version on out, kExitUsage after a usage error on err.
// An app with subcommands answers a first word that names none with
// "unknown command WORD".
std::optional<int> Parse(CLI::App& app, const std::string& name,
                         const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err);
// The same for main's argc and argv (argv[0] is the program's path).
std::optional<int> Parse(CLI::App& app, const std::string& name, int argc, const char* const* argv,
                         std::ostream& out, std::ostream& err);

}  // namespace cli
