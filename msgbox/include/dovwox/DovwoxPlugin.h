// The plug-in's C entry point, for a game that loads Dovwox at run time
// (the classes are exported too, for one that links it). The table calls
// the CDOVWOX_Collocate operations of the loaded library on an object the
// game owns:
//
//   auto get = lib.Function<DovwoxGetEntryFn>(kDovwoxEntryName);
//   const tagDovwoxEntry* dov = get();
//   CDOVWOX_Collocate collocate;
//   dov->Init(&collocate, &system);
//   dov->MsgBox(&collocate, text, EMBT_YESNO, parent);
//   ...
//   dov->Destroy(&collocate);   // before the library is unloaded
#pragma once

#include <cstdint>

#include "dovwox/CDOVWOX_Collocate.h"
#include "dovwox/DovwoxApi.h"

struct tagDovwoxEntry {
    uint32_t dwSize;  // sizeof(tagDovwoxEntry) of the library's build
    int (*Init)(CDOVWOX_Collocate* pCollocate, CWOXSystem* pSystem);
    CWOXWnd* (*MsgBox)(CDOVWOX_Collocate* pCollocate, const char* szText, EMB_Type eType,
                       CWOXWnd* pParent);
    void (*Destroy)(CDOVWOX_Collocate* pCollocate);
};

constexpr const char* kDovwoxEntryName = "DovwoxGetEntry";
using DovwoxGetEntryFn = const tagDovwoxEntry* (*)();

extern "C" DOVWOX_API const tagDovwoxEntry* DovwoxGetEntry();
