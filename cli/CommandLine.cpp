#include "cli/CommandLine.h"

#include <algorithm>
#include <cstdlib>

#ifndef TESMAR_VERSION
#error "the build names the suite's version in TESMAR_VERSION"
#endif

namespace cli {

const char* Version() {
    return TESMAR_VERSION;
}

std::string VersionLine(const std::string& name) {
    return name + " " + Version() + "\n";
}

int UsageError(std::ostream& err, const std::string& name, const std::string& what,
               const std::string& usage) {
    err << name << ": " << what << "\n";
    if (usage.empty()) {
        err << "Try '" << name << " --help'.\n";
    } else {
        err << usage;
        if (usage.back() != '\n') {
            err << "\n";
        }
    }
    err.flush();
    return kExitUsage;
}

std::string FailureLine(const std::string& name, const std::string& what, const std::string& file,
                        const std::string& reason) {
    std::string line = name;
    for (const std::string* part : {&what, &file, &reason}) {
        if (!part->empty()) {
            line += ": " + *part;
        }
    }
    return line;
}

Asked AskedHelpOrVersion(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") {
            break;
        }
        if (a == "--help" || a == "-h") {
            return Asked::kHelp;
        }
        if (a == "--version") {
            return Asked::kVersion;
        }
    }
    return Asked::kNothing;
}

namespace {

// CLI11 lets a word that names no subcommand fall through to "A subcommand
// is required"; the user typed a command, so say which one is unknown. The
// first word that is no option is the command: the programs with
// subcommands take no options with values before it.
std::optional<std::string> UnknownCommand(const CLI::App& app,
                                          const std::vector<std::string>& args) {
    const auto subcommands = app.get_subcommands([](const CLI::App*) { return true; });
    if (subcommands.empty()) {
        return std::nullopt;
    }
    for (const std::string& a : args) {
        if (a == "--") {
            return std::nullopt;
        }
        if (!a.empty() && a[0] == '-') {
            continue;  // options of the program itself, or --help
        }
        const bool known = std::any_of(subcommands.begin(), subcommands.end(),
                                       [&](const CLI::App* s) { return s->check_name(a); });
        if (known) {
            return std::nullopt;
        }
        return a;
    }
    return std::nullopt;
}

// CLI11 reports a missing argument before an unknown option, so "cpk
// --frob" would say a command is required; the word typed wrongly comes
// first. Numbers are values (coordinates may be negative), "-" is a value.
std::optional<std::string> UnknownOption(const CLI::App& app,
                                         const std::vector<std::string>& args) {
    std::vector<const CLI::App*> apps{&app};
    for (const CLI::App* s : app.get_subcommands([](const CLI::App*) { return true; })) {
        apps.push_back(s);
    }
    for (const std::string& a : args) {
        if (a == "--") {
            return std::nullopt;
        }
        if (a.size() < 2 || a[0] != '-') {
            continue;
        }
        char* end = nullptr;
        (void)std::strtod(a.c_str(), &end);
        if (end == a.c_str() + a.size()) {
            continue;
        }
        const std::string flag = a.substr(0, a.find('='));
        const bool known = std::any_of(apps.begin(), apps.end(), [&](const CLI::App* owner) {
            const auto options = owner->get_options();
            return std::any_of(options.begin(), options.end(),
                               [&](const CLI::Option* o) { return o->check_name(flag); });
        });
        if (!known) {
            return a;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> Parse(CLI::App& app, const std::string& name,
                         const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
    app.name(name);
    app.set_version_flag("--version", name + " " + Version(), "Print the version and exit");
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        app.exit(e, out, err);
        out.flush();
        return kExitOk;
    } catch (const CLI::CallForAllHelp& e) {
        app.exit(e, out, err);
        out.flush();
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        app.exit(e, out, err);
        out.flush();
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        // CLI11 checks values as it meets them: "--help --count 9" asks for
        // the usage all the same.
        switch (AskedHelpOrVersion(args)) {
            case Asked::kHelp:
                out << app.help() << std::flush;
                return kExitOk;
            case Asked::kVersion:
                out << VersionLine(name) << std::flush;
                return kExitOk;
            case Asked::kNothing:
                break;
        }
        if (auto option = UnknownOption(app, args)) {
            return UsageError(err, name, "unknown option " + *option);
        }
        if (auto command = UnknownCommand(app, args)) {
            return UsageError(err, name, "unknown command " + *command);
        }
        return UsageError(err, name, e.what());
    }
    return std::nullopt;
}

std::optional<int> Parse(CLI::App& app, const std::string& name, int argc, const char* const* argv,
                         std::ostream& out, std::ostream& err) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return Parse(app, name, args, out, err);
}

}  // namespace cli
