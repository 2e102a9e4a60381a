#include "DialogBuilder.h"

#include "Container.h"
#include "Label.h"
#include "Markup.h"

namespace {

// Sizes and rectangles of the window are coordinates: held within
// kMaxCoordinate like those of the controls.
void ReadSize(std::string_view value, UISize& size)
{
    int values[2];
    if (ParseCoordinateList(value, values, 2))
        size = UISize{values[0], values[1]};
}

void ReadRect(std::string_view value, UIRect& rect)
{
    int values[4];
    if (ParseCoordinateList(value, values, 4))
        rect = UIRect{values[0], values[1], values[2], values[3]};
}

void ApplyWindowAttribute(const std::string& name, const std::string& value, SkinWindow& window)
{
    if (name == "size") ReadSize(value, window.size);
    else if (name == "sizebox") ReadRect(value, window.sizebox);
    else if (name == "caption") ReadRect(value, window.caption);
    else if (name == "mininfo") ReadSize(value, window.minInfo);
    else if (name == "maxinfo") ReadSize(value, window.maxInfo);
    else if (name == "roundcorner") ReadSize(value, window.roundCorner);
    else if (name == "showshadow") ParseBool(value, window.showShadow);
    else if (name == "shadowimage") ParsePicture(value, window.shadowImage);
    else if (name == "shadowcorner") ReadRect(value, window.shadowCorner);
}

void AddFont(const MarkupNode& node, BuiltSkin& skin)
{
    SkinFont font;
    bool isDefault = false;
    for (const auto& [name, value] : node.attributes) {
        if (name == "name") font.name = Utf8ToWide(value);
        else if (name == "size") ParseCoordinate(value, font.size);
        else if (name == "bold") ParseBool(value, font.bold);
        else if (name == "underline") ParseBool(value, font.underline);
        else if (name == "italic") ParseBool(value, font.italic);
        else if (name == "default") ParseBool(value, isDefault);
    }
    skin.fonts.push_back(font);
    if (isDefault)
        skin.defaultFont = static_cast<int>(skin.fonts.size()) - 1;
}

std::unique_ptr<CControlUI> CreateKnownControl(const std::string& tag)
{
    if (tag == "Control") return std::make_unique<CControlUI>();
    if (tag == "Container") return std::make_unique<CContainerUI>();
    if (tag == "VerticalLayout") return std::make_unique<CVerticalLayoutUI>();
    if (tag == "HorizontalLayout") return std::make_unique<CHorizontalLayoutUI>();
    if (tag == "TabLayout") return std::make_unique<CTabLayoutUI>();
    if (tag == "Label") return std::make_unique<CLabelUI>();
    if (tag == "Button") return std::make_unique<CButtonUI>();
    if (tag == "Progress") return std::make_unique<CProgressUI>();
    return nullptr;
}

std::unique_ptr<CControlUI> BuildControl(const MarkupNode& node, IDialogBuilderCallback* callback)
{
    std::unique_ptr<CControlUI> control = CreateKnownControl(node.name);
    if (!control && callback)
        control.reset(callback->CreateControl(Utf8ToWide(node.name)));
    if (!control)
        return nullptr;
    for (const auto& [name, value] : node.attributes)
        control->SetAttribute(name, value);
    if (auto* container = dynamic_cast<CContainerUI*>(control.get())) {
        for (const MarkupNode& child : node.children)
            container->Add(BuildControl(child, callback));
    }
    return control;
}

}  // namespace

bool BuildSkin(std::string_view markup, IDialogBuilderCallback* callback, BuiltSkin& skin, std::string* error)
{
    skin = BuiltSkin{};
    MarkupNode document;
    if (!ParseMarkup(markup, document, error))
        return false;
    if (document.name != "Window") {
        if (error)
            *error = "the root element is not Window";
        return false;
    }
    for (const auto& [name, value] : document.attributes)
        ApplyWindowAttribute(name, value, skin.window);
    for (const MarkupNode& child : document.children) {
        if (child.name == "Font") {
            AddFont(child, skin);
        } else if (!skin.root) {
            skin.root = BuildControl(child, callback);
        }
    }
    return true;
}
