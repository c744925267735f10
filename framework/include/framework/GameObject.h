// The identified base of game objects.
#pragma once

#include <cstdint>

#include "framework/GfcApi.h"
#include "lumo/RTTI.h"

namespace GFC {

constexpr unsigned int kNoObjectID = 0xFFFFFFFF;

class GFC_API GameObject : public Lumo::RTTIObj {
public:
    GameObject();
    GameObject(const GameObject& other);
    GameObject& operator=(const GameObject& other);
    ~GameObject() override;

    void SetID(unsigned int id) { m_id = id; }
    unsigned int GetID() const { return m_id; }
    const Lumo::RTTInfo* GetRTTInfo() const override;

    // "GameObject", parent RTTIObj, no factory.
    static Lumo::RTTInfo m_classGameObject;

protected:
    unsigned int m_id;  // kNoObjectID until set
};

}  // namespace GFC
