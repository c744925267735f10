#include "dovwox/DovwoxPlugin.h"

namespace {

int EntryInit(CDOVWOX_Collocate* pCollocate, CWOXSystem* pSystem) {
    return pCollocate != nullptr ? pCollocate->Init(pSystem) : 0;
}

CWOXWnd* EntryMsgBox(CDOVWOX_Collocate* pCollocate, const char* szText, EMB_Type eType,
                     CWOXWnd* pParent) {
    return pCollocate != nullptr ? pCollocate->MsgBox(szText, eType, pParent) : WOXInvalidWnd();
}

void EntryDestroy(CDOVWOX_Collocate* pCollocate) {
    if (pCollocate != nullptr) {
        pCollocate->Destroy();
    }
}

const tagDovwoxEntry kEntry = {sizeof(tagDovwoxEntry), EntryInit, EntryMsgBox, EntryDestroy};

}  // namespace

extern "C" const tagDovwoxEntry* DovwoxGetEntry() {
    return &kEntry;
}
