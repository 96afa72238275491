#include "simtime/sim_wizard_page.h"

#include "app.h"

#include <vector>

namespace orvane {

SimWizardPage::SimWizardPage(App& app, std::string name)
    : Form(app.services(), std::move(name)), m_app(app) {
    setCaption("Manual Sim Time Wizard");
    setCentered(true);
    // However a page goes (Cancel, Enter, its close button), the wizard ends with it: a page
    // left behind hidden would keep the main windows waiting.
    onUnload = [this] {
        if (!m_ending) {
            // This page is already on its way out; the other goes with it.
            m_ending = true;
            endWizard();
        }
    };
}

void SimWizardPage::goTo(std::string_view page) {
    hide();
    if (Form* next = m_app.form(page))
        next->show();
}

void SimWizardPage::endWizard() {
    // Every page learns first that the wizard is ending, so that unloading one does not
    // start the ending over again from inside it.
    std::vector<SimWizardPage*> pages;
    for (std::string_view name : SimWizardPages) {
        auto* page = static_cast<SimWizardPage*>(m_app.loadedForm(name));
        if (page && !page->m_ending) {
            page->m_ending = true;
            pages.push_back(page);
        }
    }
    for (SimWizardPage* page : pages)
        m_app.unload(*page);
    // A window that is not loaded (the program is closing) is not brought back for this.
    for (const char* main : {"frmEventTimers", "frmOrvane"})
        if (Form* window = m_app.loadedForm(main))
            window->setEnabled(true);
}

} // namespace orvane
