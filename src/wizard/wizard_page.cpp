#include "wizard/wizard_page.h"

#include "app.h"
#include "dates/datetime.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"

#include <optional>
#include <string_view>
#include <vector>

namespace orvane {

WizardPage::WizardPage(App& app, std::string name, std::string caption,
                       std::span<const LoadedPage> pages)
    : Form(app.services(), std::move(name)), m_app(app), m_pages(pages) {
    setCaption(caption);
    setCentered(true);
    onQueryUnload = [this](bool&, UnloadMode mode) {
        m_closeButton = mode == UnloadMode::CloseButton;
    };
    // Closing any page's window ends the whole wizard, like Cancel. The first page goes only
    // when the wizard ends, or when the event timers window closes and takes it along; either
    // way the wizard is over. The event wizard's choice page discards the other path by
    // unloading the T, mission time and date pages by code, which leaves the wizard running.
    onUnload = [this] {
        if (!m_ending && (m_closeButton || m_pages.front()(m_app) == this))
            endPages(this);
    };
}

void WizardPage::goTo(Form& page) {
    hide();
    page.show();
}

void WizardPage::warn(const std::string& text) {
    services().dialogs.messageBox(text, Buttons::OK, Icon::Exclamation, m_app.info().title);
}

void WizardPage::endWizard() {
    endPages(nullptr);
}

void WizardPage::layOutSideChoice(Form& page, Label& prompt, Frame& frame, OptionButton& minus,
                                  OptionButton& plus) {
    page.move(0, 0, 4860, 2460);
    prompt.setCaption("Check the appropriate button and then click Next.");
    prompt.move(240, 180, 4275, 255);
    frame.setCaption("Prelaunch or Postlaunch");
    frame.move(240, 660, 4275, 1020);
    minus.setContainer(&frame);
    minus.setCaption("T MINUS (Before Liftoff)");
    minus.move(240, 285, 3915, 300);
    plus.setContainer(&frame);
    plus.setCaption("T PLUS (After Liftoff)");
    plus.move(240, 615, 3915, 300);
}

void WizardPage::paintChoice(Frame& frame, OptionButton& minus, OptionButton& plus, Color color) {
    frame.setBackColor(color);
    minus.setBackColor(color);
    plus.setBackColor(color);
}

void WizardPage::designBack(CommandButton& back) {
    back.setCaption("&Back");
    back.setToolTipText("Click here to go to the previous screen.");
}

void WizardPage::designButtonRow(CommandButton& back, CommandButton& next, CommandButton& cancel,
                                 int top) {
    designBack(back);
    back.move(705, top, 1140, 375);
    next.setCaption("&Next");
    next.setDefault(true);
    next.move(2040, top, 1140, 375);
    cancel.setCaption("&Cancel");
    cancel.setCancel(true);
    cancel.move(3375, top, 1140, 375);
}

namespace {

// Digits only, a few at most: a sign, a fraction or a letter is not a time box's value.
std::optional<int> wholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 6)
        return std::nullopt;
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

void WizardPage::takeTyping(TextBox& box, ScrollBar& bar, std::string name, const char* pattern) {
    box.setLocked(false);
    box.onChange = [this, &box, &bar, name = std::move(name), pattern] {
        if (m_keepBoxTexts)
            return;
        const std::optional<int> n = wholeNumber(box.text());
        const bool fits = n && *n >= bar.min() && *n <= bar.max();
        if (fits)
            bar.setValue(*n);
        else
            warn("Type a whole number from " + std::to_string(bar.min()) + " to " +
                 std::to_string(bar.max()) + " in the " + name + " box.");
        box.setText(formatNumber(bar.value(), pattern));
    };
}

void WizardPage::endPages(WizardPage* unloading) {
    App& app = m_app;
    if (unloading)
        unloading->m_ending = true;
    // Every page learns first that the wizard is ending, so that unloading one page does not
    // start the ending over again from inside it.
    std::vector<WizardPage*> pages;
    for (LoadedPage loaded : m_pages) {
        if (auto* page = loaded(app); page && !page->m_ending) {
            page->m_ending = true;
            pages.push_back(page);
        }
    }
    for (WizardPage* page : pages)
        app.unload(*page);
    // A window that is not loaded (the program is closing) is not brought back for this.
    if (auto* board = app.loaded<frmEventTimers>())
        board->setEnabled(true);
    if (auto* main = app.loaded<frmOrvane>())
        main->setEnabled(true);
}

} // namespace orvane
