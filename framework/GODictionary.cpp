#include "framework/GODictionary.h"

namespace GFC {

GODictionary::GODictionary() : m_iter(m_objs.end()) {}

GODictionary::GODictionary(const GODictionary& other)
    : m_objs(other.m_objs), m_iter(m_objs.end()) {}

GODictionary& GODictionary::operator=(const GODictionary& other) {
    if (this != &other) {
        m_objs = other.m_objs;
        m_iter = m_objs.end();
    }
    return *this;
}

GODictionary::~GODictionary() = default;

void GODictionary::RegisterObj(GameObject* obj) {
    if (obj) {
        m_objs.emplace(obj->GetID(), obj);
    }
}

void GODictionary::UnregisterObj(GameObject* obj) {
    if (!obj) {
        return;
    }
    auto it = m_objs.find(obj->GetID());
    if (it == m_objs.end()) {
        return;
    }
    if (it == m_iter) {
        ++m_iter;
    }
    m_objs.erase(it);
}

GameObject* GODictionary::GetObj(unsigned int id) const {
    auto it = m_objs.find(id);
    return it == m_objs.end() ? nullptr : it->second;
}

void GODictionary::BeginIter() {
    m_iter = m_objs.begin();
}

GameObject* GODictionary::NextIterObj() {
    if (m_iter == m_objs.end()) {
        return nullptr;
    }
    GameObject* obj = m_iter->second;
    ++m_iter;
    return obj;
}

void GODictionary::EndIter() {
    m_iter = m_objs.end();
}

}  // namespace GFC
