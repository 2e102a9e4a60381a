#pragma once
// Builds a control tree and the window's attributes from a skin.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "AttributeSyntax.h"
#include "Control.h"

// Creates the controls for tags the framework does not know.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // Null: the element (and what it holds) is left out.
    virtual CControlUI* CreateControl(const std::wstring& tag) = 0;
};

struct SkinFont {
    std::wstring name;
    int size = 12;  // pixel height
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

// The Window element's attributes.
struct SkinWindow {
    UISize size;
    UIRect sizebox;
    UIRect caption;  // right from the right edge; top and bottom from the top
    UISize minInfo;
    UISize maxInfo;
    UISize roundCorner;
    bool showShadow = false;
    PictureRef shadowImage;
    UIRect shadowCorner;
};

struct BuiltSkin {
    SkinWindow window;
    std::vector<SkinFont> fonts;  // numbered from 0 in skin order
    int defaultFont = -1;         // the one marked default, -1 for none
    std::unique_ptr<CControlUI> root;
};

// False when the markup cannot be read or its root is not a Window element.
bool BuildSkin(std::string_view markup, IDialogBuilderCallback* callback, BuiltSkin& skin,
               std::string* error = nullptr);
