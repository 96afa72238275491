#pragma once

// What the pages of a wizard share (the six of the Event Timer Wizard, the two of the Manual
// Sim Time Wizard): their caption, the messages they show, moving from one page to the next,
// and the end of the wizard, which unloads every page together and gives the input back to
// the two main windows however the wizard ends.

#include "colors.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"

#include <array>
#include <span>
#include <string>

namespace orvane {

class App;

// A page of a wizard found by its type: the loaded page or null, never loading it.
class WizardPage;
using LoadedPage = WizardPage* (*)(App&);
template <class P, class A = App> WizardPage* loadedPage(A& app) {
    return app.template loaded<P>();
}
// A page of a wizard by its type, loaded when it is not.
using PageOf = Form& (*)(App&);
template <class P, class A = App> Form& pageOf(A& app) {
    return app.template form<P>();
}

// The Event Timer Wizard's pages, in the order the wizard unloads them.
extern const std::array<LoadedPage, 6> WizardPages;

class WizardPage : public Form {
  public:
    // PAGES finds every page of the wizard, the first page first, in the order its end unloads
    // them.
    WizardPage(App& app, std::string name, std::string caption = "Event Timer Wizard",
               std::span<const LoadedPage> pages = WizardPages);

  protected:
    // Hides this page and shows another, loading it when it is not loaded yet. A hidden page
    // keeps what the user set on it, so Back finds it as it was left.
    void goTo(Form& page);
    // An exclamation box with an OK button, titled with the program's title.
    void warn(const std::string& text);
    // Ends the wizard: unloads all its pages and re-enables the two main windows.
    void endWizard();

    // The page that asks before or after liftoff: PROMPT above the frame of the two options.
    static void layOutSideChoice(Form& page, Label& prompt, Frame& frame, OptionButton& minus,
                                 OptionButton& plus);
    // A choice of before or after liftoff takes the colour of that side, frame and options.
    static void paintChoice(Frame& frame, OptionButton& minus, OptionButton& plus, Color color);
    // The back button's tooltip, the same on every page that has one.
    static void designBack(CommandButton& back);
    // The Back, Next and Cancel row at the foot of a page, the same on every page that
    // moves on with Next.
    static void designButtonRow(CommandButton& back, CommandButton& next, CommandButton& cancel,
                                int top);
    // A time box that takes typing as well as its scroll bar: a whole number in the bar's
    // range moves the bar at once; anything else is refused with a message naming the box
    // (NAME) and its range, and the box shows the bar's value again, padded with PATTERN.
    void takeTyping(TextBox& box, ScrollBar& bar, std::string name, const char* pattern);

    // While set, a time box keeps a text it cannot take, without a message: the page is
    // showing what the launch data file kept, which its Enter reads as it stands.
    bool m_keepBoxTexts = false;

    App& m_app;

  private:
    // Unloads the wizard's pages in order, then enables the event timers window and the main
    // window. UNLOADING is a page that is already being unloaded (its window was closed) and
    // is left to finish by itself.
    void endPages(WizardPage* unloading);

    std::span<const LoadedPage> m_pages;
    // The wizard is ending, so this page's own unloading must not end it a second time.
    bool m_ending = false;
    bool m_closeButton = false;
};

} // namespace orvane
