// The engine library's named objects. An object is created from a class name
// under an instance name (CloneObj) and fetched by that name (GetInterface);
// the library owns every object it created and deletes them all in
// DestroyEngine. Classes: "stream_transport" (CStreamTransport), "ping"
// (CPing) and "util" (IUtil).
//
// The registry may be used from any thread; the objects themselves say who
// may call them.
#pragma once

#include <cstring>

#include "tarnet/TarnetApi.h"

namespace Tarnet {

// Base of every named object.
class TARNET_API TObject {
public:
    TObject() = default;
    virtual ~TObject();
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    // The class name the object was cloned from.
    virtual const char* GetClassName() const = 0;
};

// Creates an object of className named name. Answers the registry's copy of
// the name (valid until the object is destroyed), or null when the class is
// unknown, an argument is null or empty, or the name is taken by an object
// of another class. Cloning a name that already holds an object of the same
// class answers that object's name and creates nothing.
TARNET_API const char* CloneObj(const char* name, const char* className);

// The object named name; which selects the interface and only 0 (the
// object's own) exists. Null when there is no such object.
TARNET_API TObject* GetInterface(const char* name, int which);

// The object named name if it is of class T, else null.
template <class T>
T* GetInterfaceAs(const char* name) {
    TObject* obj = GetInterface(name, 0);
    if (!obj || std::strcmp(obj->GetClassName(), T::kClassName) != 0) {
        return nullptr;
    }
    return static_cast<T*>(obj);
}

// Deletes one named object; false when there is none. Pointers to it held
// elsewhere dangle afterwards.
TARNET_API bool KillObj(const char* name);

// Deletes every named object (transports stop and close first). Pointers
// handed out before dangle afterwards; the library can be used again.
TARNET_API void DestroyEngine();

// Number of named objects alive.
TARNET_API int ObjCount();

}  // namespace Tarnet
