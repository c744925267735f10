#include "framework/GameObject.h"

namespace GFC {

Lumo::RTTInfo GameObject::m_classGameObject("GameObject", &Lumo::RTTIObj::m_classRTTIObj, nullptr);

GameObject::GameObject() : m_id(kNoObjectID) {}
GameObject::GameObject(const GameObject& other) : Lumo::RTTIObj(other), m_id(other.m_id) {}
GameObject& GameObject::operator=(const GameObject& other) {
    m_id = other.m_id;
    return *this;
}
GameObject::~GameObject() = default;

const Lumo::RTTInfo* GameObject::GetRTTInfo() const {
    return &m_classGameObject;
}

}  // namespace GFC
