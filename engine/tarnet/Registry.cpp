#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "tarnet/StreamTransport.h"
#include "tarnet/Tarnet.h"
#include "tarnet/Util.h"

namespace Tarnet {

TObject::~TObject() = default;

namespace {

struct Registry {
    std::mutex mu;
    std::map<std::string, std::unique_ptr<TObject>> objects;
};

// Never destroyed: a game may call DestroyEngine from its own exit handlers,
// which may run after this library's statics would have been torn down.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

std::unique_ptr<TObject> NewObject(const std::string& className) {
    if (className == CStreamTransport::kClassName) {
        return std::make_unique<CStreamTransport>();
    }
    if (className == CPing::kClassName) {
        return std::make_unique<CPing>();
    }
    if (className == IUtil::kClassName) {
        return std::make_unique<IUtil>();
    }
    return nullptr;
}

}  // namespace

const char* CloneObj(const char* name, const char* className) {
    if (!name || !*name || !className) {
        return nullptr;
    }
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mu);
    auto it = r.objects.find(name);
    if (it != r.objects.end()) {
        return std::strcmp(it->second->GetClassName(), className) == 0 ? it->first.c_str()
                                                                       : nullptr;
    }
    std::unique_ptr<TObject> obj = NewObject(className);
    if (!obj) {
        return nullptr;
    }
    return r.objects.emplace(name, std::move(obj)).first->first.c_str();
}

TObject* GetInterface(const char* name, int which) {
    if (!name || which != 0) {
        return nullptr;
    }
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mu);
    auto it = r.objects.find(name);
    return it == r.objects.end() ? nullptr : it->second.get();
}

bool KillObj(const char* name) {
    if (!name) {
        return false;
    }
    std::unique_ptr<TObject> victim;
    {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mu);
        auto it = r.objects.find(name);
        if (it == r.objects.end()) {
            return false;
        }
        victim = std::move(it->second);
        r.objects.erase(it);
    }
    return true;  // deleted here, outside the lock: a transport joins its thread
}

void DestroyEngine() {
    std::map<std::string, std::unique_ptr<TObject>> all;
    {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mu);
        all.swap(r.objects);
    }
}

int ObjCount() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mu);
    return static_cast<int>(r.objects.size());
}

}  // namespace Tarnet
