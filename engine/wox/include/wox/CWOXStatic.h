// The library's static window ("static"): a picture and one line of text.
#pragma once

#include "wox/CWOXWnd.h"

class WOX_API CWOXStatic : public CWOXWnd {
public:
    // The window, then its text on one line at the top left of the text
    // rectangle (cut at the rectangle), in the record's text colour.
    void Render() override;
};
