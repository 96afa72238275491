#pragma once

#include "toolkit/controls.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

namespace orvane {

struct Services;

enum class UnloadMode { CloseButton, Code };

// A window. It owns nothing but the list of its controls (the window classes hold them as
// members); it registers them by name so the view, the scenario runner and the launch data
// file can find them.
class Form : public Control {
  public:
    Form(Services& services, std::string name);
    ~Form() override;

    Services& services() const { return m_services; }

    const std::string& caption() const { return m_caption; }
    void setCaption(std::string c);

    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    // Fixed-size dialog windows have no maximise box and cannot be resized.
    bool fixedSize() const { return m_fixedSize; }
    void setFixedSize(bool f) { assign(m_fixedSize, f, Prop::WindowStyle); }
    // Placed in the middle of the screen when first shown, instead of at Left and Top.
    bool centered() const { return m_centered; }
    void setCentered(bool c) { assign(m_centered, c, Prop::WindowStyle); }
    // Stays above the program's other windows (the splash).
    bool topMost() const { return m_topMost; }
    void setTopMost(bool t) { assign(m_topMost, t, Prop::WindowStyle); }
    // Without a title bar or frame (BorderStyle 0).
    bool borderless() const { return borderStyle() == 0; }
    bool loaded() const { return m_loaded; }

    // The window's own events.
    std::function<void()> onLoad;
    std::function<void(bool& cancel, UnloadMode mode)> onQueryUnload;
    std::function<void()> onUnload;
    std::function<void(int keyAscii)> onKeyPress;

    // A key typed while the window has the focus (27 is Esc).
    void keyPress(int keyAscii);
    // The button Enter (13) or Esc (27) presses instead of reaching the window: the default or
    // the cancel button, where the window shows one a person can reach. Null otherwise.
    CommandButton* keyButton(int keyAscii) const;
    // The user moved the window to LEFT, TOP (twips): Left and Top follow, then onMovedByUser
    // runs. The program's own moves never come here.
    void movedByUser(int left, int top);
    std::function<void()> onMovedByUser;

    // Registered controls, in the order they were made.
    const std::vector<Control*>& controls() const { return m_controls; }
    // Finds "lblTarget", "pctEvent" with index "3", or "sbrStatusBar" with key
    // "pnlCurrentFile". An empty index finds a control that is not in an array.
    Control* findControl(std::string_view name, std::string_view index = {}) const;
    // The control NAME (INDEX in its array, or -1) as the kind T it is:
    // control<Label>("lblTarget"), control<PictureBox>("pctEvent", 3). An unknown name or another
    // kind of control is a programming error: it stops the program with a message naming the window
    // and the control.
    template <class T> T& control(std::string_view name, int index = -1) {
        return const_cast<T&>(std::as_const(*this).control<T>(name, index));
    }
    template <class T> const T& control(std::string_view name, int index = -1) const {
        const Control& c = requireControl(name, index);
        if (const T* typed = dynamic_cast<const T*>(&c))
            return *typed;
        wrongKindOfControl(c, typeid(T).name());
    }
    // Top-level menus in menu-bar order (the right-click menu among them, usually hidden).
    std::vector<MenuItem*> topMenus() const;

    // Shows a menu at the mouse pointer.
    void popupMenu(MenuItem& menu);

    // Record-like values that are not controls (the event timer record). The scenario runner
    // addresses them as Form.Record.Property.
    virtual std::optional<PropValue> recordProperty(std::string_view record,
                                                    std::string_view prop) const;
    virtual SetResult setRecordProperty(std::string_view record, std::string_view prop,
                                        std::string_view text);

    std::string defaultProperty() const override { return "Caption"; }
    const PropertyTable& properties() const override;

    // Used by Control and the application object.
    void registerControl(Control* c) { m_controls.push_back(c); }
    void unregisterControl(Control* c);
    void markLoaded(bool l) { m_loaded = l; }

  private:
    // The control NAME at INDEX, or the stop with a message when there is none.
    const Control& requireControl(std::string_view name, int index) const;
    [[noreturn]] void wrongKindOfControl(const Control& c, const char* wanted) const;

    Services& m_services;
    std::string m_caption;
    bool m_fixedSize = true;
    bool m_centered = false;
    bool m_topMost = false;
    bool m_loaded = false;
    std::vector<Control*> m_controls;
};

} // namespace orvane
