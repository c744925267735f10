#include "CpkTool.h"

#include <optional>
#include <string>

#include "Tool.h"
#include "cli/CommandLine.h"
#include "platform/console.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace {

using cpktool::Failed;
using cpktool::Tool;

// Prints the boxes of the archive layer and the unpacker on err instead of
// showing them, and answers them by policy, or asks on the terminal.
class MessagesToStream {
public:
    explicit MessagesToStream(std::ostream& err)
        : handler_([this, &err](void* owner, const char* text, const char* caption, uint32_t type) {
              if (ask_) {
                  return platform::ConsoleMessageBox(owner, text, caption, type);
              }
              std::string body = platform::GbkToUtf8(text ? text : "");
              std::string line;
              for (char c : body) {
                  line += c;
                  if (c == '\n') {
                      line += "    ";
                  }
              }
              while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) {
                  line.pop_back();
              }
              err << "cpk: " << platform::GbkToUtf8(caption ? caption : "Error") << ": " << line
                  << "\n";
              return platform::PolicyAnswer(answers_, type);
          }) {}

    // Answers by policy; --yes goes on past what can be skipped, --abort ends
    // the step.
    void SetAnswers(platform::BoxAnswers answers) {
        answers_ = answers;
        ask_ = false;
    }
    // Asks on the terminal (without one: the step ends).
    void Ask() { ask_ = true; }

private:
    platform::BoxAnswers answers_ = platform::BoxAnswers::kEndStep;
    bool ask_ = false;
    platform::ScopedMessageBoxHandler handler_;  // last: it goes first
};

}  // namespace

int RunCpkTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress, DiscIOMgr::Disk& disk) {
    MessagesToStream messages(err);
    CLI::App app("CPK archive tool: create, fill, list, read and check game archives.", "cpk");
    app.require_subcommand(1);

    std::string archive, dir, inner, as, method = "stored";
    std::vector<std::string> files, inners;
    bool longFormat = false, windowed = false;

    auto* create = app.add_subcommand("create", "Create a new, empty archive");
    create->add_option("ARCHIVE", archive, "Archive file")->required();
    auto* add =
        app.add_subcommand("add", "Add files (a folder adds its tree), creating their directories");
    add->add_option("ARCHIVE", archive, "Archive file (created when missing)")->required();
    add->add_option("FILE", files, "Files or folders to add")->required();
    auto* asOption = add->add_option("--as", as, "Inner path of the single FILE");
    add->add_option("--method", method, "Compression: stored, lzo or lzss")->capture_default_str();
    add->add_flag("--windowed", windowed, "Mark stored entries for 8 MiB windowed reading");
    auto* ls = app.add_subcommand("ls", "List the live entries");
    ls->add_option("ARCHIVE", archive, "Archive file")->required();
    ls->add_flag("-l", longFormat, "Show kind, method, stored and original size");
    auto* cat = app.add_subcommand("cat", "Write an entry's contents to standard output");
    cat->add_option("ARCHIVE", archive, "Archive file")->required();
    cat->add_option("INNER", inner, "Inner path")->required();
    auto* extract = app.add_subcommand("extract", "Extract entries (all by default) into DIR");
    extract->add_option("ARCHIVE", archive, "Archive file")->required();
    extract->add_option("-C", dir, "Target folder")->required();
    extract->add_option("INNER", inners, "Entries to extract (a directory: its tree)");
    auto* rm = app.add_subcommand("rm", "Remove an entry (a directory with its tree)");
    rm->add_option("ARCHIVE", archive, "Archive file")->required();
    rm->add_option("INNER", inner, "Inner path")->required();
    auto* info = app.add_subcommand("info", "Print the header fields");
    info->add_option("ARCHIVE", archive, "Archive file")->required();
    auto* check = app.add_subcommand("check", "Check every invariant of the format");
    check->add_option("ARCHIVE", archive, "Archive file")->required();
    auto* compact =
        app.add_subcommand("compact", "Rewrite the archive without free space (all or nothing)");
    compact->add_option("ARCHIVE", archive, "Archive file")->required();
    std::vector<std::string> packages;
    std::string game, executable = "Drevik.exe";
    bool yes = false, abort = false;
    auto* apply = app.add_subcommand(
        "apply", "Unpack patch packages into a game folder, as the patcher does");
    apply->add_option("PACKAGE", packages, "Patch packages, in order")->required();
    apply->add_option("--game", game, "The game folder")->required();
    apply->add_option("--exe", executable, "The patcher's own file name (goes to download\\)")
        ->capture_default_str();
    auto* yesFlag =
        apply->add_flag("--yes", yes, "Answer questions by going on (skip, never retry)");
    apply->add_flag("--abort", abort, "Answer questions by stopping")->excludes(yesFlag);
    std::vector<std::string> keyLines;
    apply->add_option("--key", keyLines,
                      "A publisher's minisign public key (base64); with any, every package "
                      "must be signed by one (PACKAGE.minisig beside it)");

    const std::vector<std::string> rest(args.size() > 1 ? args.begin() + 1 : args.end(),
                                        args.end());
    if (std::optional<int> code = cli::Parse(app, "cpk", rest, out, err)) {
        return *code;
    }

    std::vector<sign::PublicKey> keys;
    for (const std::string& line : keyLines) {
        std::string why;
        std::optional<sign::PublicKey> key = sign::ParsePublicKey(line, &why);
        if (!key) {
            return cli::UsageError(err, "cpk", "--key " + line + ": " + why);
        }
        keys.push_back(*key);
    }

    Tool tool(out, err, progress, disk);
    try {
        if (create->parsed()) {
            tool.Create(archive);
        } else if (add->parsed()) {
            tool.Add(archive, files, as, asOption->count() > 0, method, windowed);
        } else if (ls->parsed()) {
            tool.List(archive, longFormat);
        } else if (cat->parsed()) {
            tool.Cat(archive, inner);
        } else if (extract->parsed()) {
            tool.Extract(archive, dir, inners);
        } else if (rm->parsed()) {
            tool.Remove(archive, inner);
        } else if (info->parsed()) {
            tool.Info(archive);
        } else if (check->parsed()) {
            tool.Check(archive);
        } else if (compact->parsed()) {
            tool.Compact(archive);
        } else if (apply->parsed()) {
            if (yes || abort) {
                messages.SetAnswers(yes ? platform::BoxAnswers::kSkip
                                        : platform::BoxAnswers::kEndStep);
            } else {
                messages.Ask();
            }
            tool.Apply(packages, game, executable, keys);
        }
    } catch (const Failed&) {
        tool.Abandon();
        return 1;
    }
    return 0;
}
