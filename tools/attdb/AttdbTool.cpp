#include "AttdbTool.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "gamesys/GAttDataBase.h"
#include "lumo/DiskFS.h"
#include "lumo/Log.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace attdb {

namespace {

// A decimal id, or a hexadecimal one after "0x"; false for anything else or
// a value beyond 32 bits.
bool ParseId(const std::string& text, unsigned long& id) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 8u : 10u)) {
        return false;
    }
    for (char c : digits) {
        bool ok = hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '9');
        if (!ok) {
            return false;
        }
    }
    unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (value > 0xFFFFFFFFull) {
        return false;
    }
    id = static_cast<unsigned long>(value);
    return true;
}

void PrintList(std::ostream& out, const char* label, unsigned long count,
               bool (GFC::GAttDataBase::*get)(unsigned long, unsigned long&) const,
               const GFC::GAttDataBase& db) {
    out << label << ":";
    for (unsigned long i = 0; i < count; ++i) {
        unsigned long id = 0;
        (db.*get)(i, id);
        out << ' ' << id;
    }
    out << '\n';
}

}  // namespace

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Shows the game's rule lists (System\\tag*.lst) in a data folder."};
    std::string dir;
    std::string npc;
    app.add_option("DIR", dir, "the game's data folder (holding System\\)")->required();
    CLI::Option* npcOption =
        app.add_option("--npc", npc, "model and effect paths of this NPC id (decimal or 0x...)");
    if (std::optional<int> code = cli::Parse(app, "attdb", argc, argv, out, err)) {
        return *code;
    }

    const bool askNpc = npcOption->count() > 0;
    unsigned long npcId = 0;
    if (askNpc && !ParseId(npc, npcId)) {
        return cli::UsageError(err, "attdb",
                               "bad NPC id " + npc + " (decimal or 0x-hexadecimal, 32 bits)");
    }
    const std::string root = platform::SystemPathFromNative(dir);
    if (!platform::IsDirectory(root)) {
        err << "attdb: " << dir << " is not a folder\n";
        return 1;
    }

    Lumo::DiskFS fs(root);
    GFC::GAttDataBase db;
    // The database reads what it can of a damaged list and says so in the
    // engine log only: those lines are the tool's to show.
    std::vector<std::string> damaged;
    Lumo::SetLogListener(
        [](const char* entry, void* user) {
            const std::string text(entry);
            if (text.rfind("Att list file truncated", 0) == 0 ||
                text.rfind("Att list file damaged", 0) == 0) {
                static_cast<std::vector<std::string>*>(user)->push_back(
                    text.substr(0, text.find_last_not_of("\r\n") + 1));
            }
        },
        &damaged);
    db.LoadFromFile(&fs);
    Lumo::SetLogListener(nullptr, nullptr);
    for (const std::string& line : damaged) {
        err << "attdb: " << line << '\n';
    }

    if (askNpc) {
        const GFC::tagNPCAtt* att = db.FindNpcAtt(npcId);
        if (!att) {
            err << "attdb: no NPC with id " << npc << "\n";
            return 1;
        }
        const std::string model = GFC::GAttDataBase::GetNpcMdlPath(att);
        const std::string effect = GFC::GAttDataBase::GetNpcEffectAttahPath(att);
        if (model.empty() || effect.empty()) {
            err << "attdb: the resource name of NPC " << npc << " is too long for a path\n";
            return 1;
        }
        out << "model: " << platform::GbkToUtf8(model) << '\n';
        out << "effect: " << platform::GbkToUtf8(effect) << '\n';
        return 0;
    }

    out << "NPC " << db.GetNpcNum() << '\n';
    out << "BaseAtt " << db.GetBaseAttNum() << '\n';
    out << "Buff " << db.GetBuffNum() << '\n';
    out << "BuffTrigger " << db.GetBuffTriggerNum() << '\n';
    out << "Shop " << db.GetShopNum() << '\n';
    out << "Compose " << db.GetComposeNum() << '\n';
    out << "GuildRoom " << db.GetGuildRoomNum() << '\n';
    PrintList(out, "pets", db.GetPetNum(), &GFC::GAttDataBase::GetPetID, db);
    PrintList(out, "petbuffs", db.GetPetBuffNum(), &GFC::GAttDataBase::GetPetBuffID, db);
    PrintList(out, "pettriggers", db.GetPetTriggerNum(), &GFC::GAttDataBase::GetPetTriggerID, db);
    for (const char* path : GFC::GAttDataBase::kListFiles) {
        if (fs.GetSize(path) == Lumo::kMissingFileSize) {
            out << "missing: " << path << '\n';
        }
    }
    return damaged.empty() ? 0 : 1;
}

}  // namespace attdb
