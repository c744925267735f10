#include "lumo/RTTI.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace Lumo {

namespace {

struct Registry {
    std::mutex lock;
    std::map<std::string, const RTTInfo*> byName;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // outlives every module's records
    return *registry;
}

}  // namespace

RTTInfo::RTTInfo(const char* name, const RTTInfo* parent, RTTFactory factory)
    : m_name(name ? name : ""), m_parent(parent), m_factory(factory) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.byName.emplace(m_name, this);
}

RTTInfo::~RTTInfo() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.byName.find(m_name);
    if (it != r.byName.end() && it->second == this) {
        r.byName.erase(it);
    }
}

bool RTTInfo::IsKindOf(const RTTInfo* other) const {
    for (const RTTInfo* p = this; p; p = p->m_parent) {
        if (p == other) {
            return true;
        }
    }
    return false;
}

RTTIObj* RTTInfo::CreateObj() const {
    return m_factory ? m_factory() : nullptr;
}

const RTTInfo* RTTInfo::Find(const char* name) {
    if (!name) {
        return nullptr;
    }
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.byName.find(name);
    return it == r.byName.end() ? nullptr : it->second;
}

RTTInfo RTTIObj::m_classRTTIObj("RTTIObj", nullptr, nullptr);

RTTIObj::~RTTIObj() = default;

const RTTInfo* RTTIObj::GetRTTInfo() const {
    return &m_classRTTIObj;
}

bool RTTIObj::IsKindOf(const RTTInfo* info) const {
    const RTTInfo* mine = GetRTTInfo();
    return mine && mine->IsKindOf(info);
}

}  // namespace Lumo
