// Finds game objects by id. The dictionary does not own the objects; the
// game unregisters an object before deleting it.
#pragma once

#include <cstddef>
#include <map>

#include "framework/GameObject.h"
#include "framework/GfcApi.h"

namespace GFC {

class GFC_API GODictionary {
public:
    GODictionary();
    GODictionary(const GODictionary& other);  // copies the entries; restart with BeginIter
    GODictionary& operator=(const GODictionary& other);
    virtual ~GODictionary();

    // Registers obj under its id unless that id is taken (the first stays).
    // Null is ignored.
    void RegisterObj(GameObject* obj);
    // Removes the entry under obj's id, whatever object it holds.
    void UnregisterObj(GameObject* obj);
    GameObject* GetObj(unsigned int id) const;
    size_t Count() const { return m_objs.size(); }

    // Ascending-id walk: BeginIter, then NextIterObj until it answers null.
    // Unregistering any object during the walk, the one just returned or the
    // one the walk would return next, leaves the walk valid.
    void BeginIter();
    GameObject* NextIterObj();
    void EndIter();

private:
    std::map<unsigned int, GameObject*> m_objs;
    std::map<unsigned int, GameObject*>::iterator m_iter;
};

}  // namespace GFC
