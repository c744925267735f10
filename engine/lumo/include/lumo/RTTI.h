// The engine's run-time type records. Every engine object class has one
// static RTTInfo naming it and its parent class; the records of all loaded
// modules form one registry, so a class can be found, tested for kinship and,
// when it has a factory, created by name.
#pragma once

#include "lumo/LumoApi.h"

namespace Lumo {

class RTTIObj;
using RTTFactory = RTTIObj* (*)();

class LUMO_API RTTInfo {
public:
    // name: the class name, a literal that lives as long as the record.
    // parent: the parent class's record, null for the root. factory: makes
    // a new object of the class, or null when the class cannot be created
    // by name. The record registers itself under its name; a second record
    // of the same name does not replace the first.
    RTTInfo(const char* name, const RTTInfo* parent, RTTFactory factory);
    ~RTTInfo();
    RTTInfo(const RTTInfo&) = delete;
    RTTInfo& operator=(const RTTInfo&) = delete;

    const char* GetName() const { return m_name; }
    const RTTInfo* GetParent() const { return m_parent; }
    RTTFactory GetFactory() const { return m_factory; }

    // True when this class is other or derives from it.
    bool IsKindOf(const RTTInfo* other) const;
    // A new object of the class, or null without a factory.
    RTTIObj* CreateObj() const;

    // The registered record of that name (case-sensitive), or null.
    static const RTTInfo* Find(const char* name);

private:
    const char* m_name;
    const RTTInfo* m_parent;
    RTTFactory m_factory;
};

// Root of the engine's object classes.
class LUMO_API RTTIObj {
public:
    RTTIObj() = default;
    RTTIObj(const RTTIObj&) = default;
    RTTIObj& operator=(const RTTIObj&) = default;
    virtual ~RTTIObj();
    virtual const RTTInfo* GetRTTInfo() const;

    bool IsKindOf(const RTTInfo* info) const;

    static RTTInfo m_classRTTIObj;
};

}  // namespace Lumo
