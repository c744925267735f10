// The server (borough) list: every login address of every server in
// update.ini is probed with one ICMP echo, one address per server is picked
// among those that answered, the rows show each server's name with that
// address's time, the stored choice is preselected, and the version servers
// are resolved. StoreLoginChoice hands the address of the selected server to
// the game through the settings store ("Borough").
//
// BuildServerList runs on ServerListThread (at start-up, and again whenever
// a patch delivers a new server list) and needs no window: rows go into a
// PicListModel, boxes through the message-box service, and the results into
// a ServerListState that the dialog, UpdateThread and StartGame share.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "patcher/CPinger.h"
#include "patcher/text/PicListModel.h"
#include "platform/settings.h"

// Every login address gets this long to answer; the rows say ">500 ms" for
// those that did not.
constexpr uint32_t kPingTimeoutMs = 500;
// Start values of the line-type race: a server's fastest time before any of
// its addresses answered, and the build's best before any server. The first
// is below the second, so with no answer at all the first server gives the
// line type.
constexpr int kFastestStart = 100000000;
constexpr int kBestStart = 1000000000;
// Counts read from update.ini are capped, so a mistyped count cannot keep
// the patcher pinging or asking for hours. No more servers can be named than
// the configuration store reads sections.
constexpr int kMaxServers = 200;
constexpr int kMaxLoginAddresses = 100;
constexpr int kMaxVersionServers = 100;
// Leading blanks and name column of a row, as the list has always shown them.
constexpr const char* kRowFormat = "     %-16s%4d ms";
constexpr const char* kRowNoAnswerFormat = "     %-16s>500 ms";

// One login address of a server as the build probed it.
struct LoginProbe {
    std::string address;  // as written in update.ini
    int rtt = kNoAnswer;
    PingWay way = PingWay::kNone;
};

// One server of a build, for front ends that show more than the rows.
struct ServerProbe {
    std::string name;  // GBK
    int32_t lineType = 0;
    std::vector<LoginProbe> logins;
    int chosen = -1;  // index into logins; -1 when the server has no address
    std::string row;  // the row text (GBK)
};

// One "checkversion ip%d" entry as the build resolved it.
struct VersionHost {
    std::string host;     // as written in update.ini
    std::string address;  // dotted; "" when it did not resolve
};

// The results of a build, as the update dialog keeps them.
struct ServerListData {
    std::map<int, std::string> loginByServer;  // server index -> chosen login address
    std::map<int, std::string> nameByServer;   // server index -> display name
    bool registryFound = false;                // "Borough" was set when the build read it
    std::string registryLogin;                 // its value; "" when not found
    std::string chosenLogin;                   // what StoreLoginChoice last chose
    int32_t lineType = 0;                      // sent with the version request
    std::vector<std::string> versionServers;   // resolved version servers, dotted
    int32_t versionServerCount = 0;            // how many resolved

    // Detail of the last build.
    bool configRead = false;  // update.ini could be read
    std::vector<ServerProbe> servers;
    std::vector<VersionHost> versionHosts;
};

// The dialog's copy of the results, read and changed by several threads; the
// lock is the object's own.
class ServerListState {
public:
    ServerListData Snapshot() const;
    // Runs change on the data under the lock. change must not call back into
    // this object.
    void Modify(const std::function<void(ServerListData&)>& change);

    // UpdateThread, when a version server could not be reached: the first
    // entry equal to address leaves versionServers; versionServerCount is
    // left as it was.
    void RemoveVersionServer(const std::string& address);

private:
    mutable std::mutex mu_;
    ServerListData data_;
};

struct ServerListOptions {
    void* owner = nullptr;  // owner of the message boxes (the dialog)
    std::string folder;     // where update.ini is; "" = the current directory
    uint32_t pingTimeoutMs = kPingTimeoutMs;
    bool preferRaw = true;  // CPinger::Init's choice
    // Random numbers for the picks; a generator seeded with the tick count
    // when empty.
    std::function<uint32_t()> random;
    // For tests: see CPinger::SetDeliveryFilter.
    CPinger::DeliveryFilter deliver;
    // Asked to repaint the dialog at the end of the build.
    std::function<void()> repaint;
    // Where the stored choice is read, and StoreLoginChoice writes it.
    platform::SettingsStore settings = platform::SettingsStore::System();
};

// Builds the list: rows into list (cleared first; the stored choice's row,
// else row 0, selected), results into state. Blocks for the pings, one
// address at a time (up to pingTimeoutMs each), and for name resolution.
void BuildServerList(ServerListState& state, PicListModel& list,
                     const ServerListOptions& options = {});

// The row text for a server: its name, then the time of its chosen address
// or ">500 ms" when that did not answer (or there is none).
std::string FormatServerRow(const std::string& name, int rtt);

// StartGame's step: chosenLogin = the login address of the selected row
// ("" when that row has none); written to the settings store when it is not
// empty and differs from the value the build read. A failed write shows
// "将区域信息写入注册表失败，请解锁注册表" (OK, owner, default caption).
void StoreLoginChoice(ServerListState& state, const PicListModel& list, void* owner,
                      const platform::SettingsStore& settings);
