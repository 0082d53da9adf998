#pragma once

#include <QString>

/// What the global shortcut and the shake gesture need of the floating panel.
/// The panel's owner implements it; tests use a recording fake.
class PanelPresenter
{
public:
    virtual ~PanelPresenter() = default;
    /// Hides a visible panel, or shows a hidden one at the pointer.
    virtual void toggleWindow(const QString& source) = 0;
    /// Orders the panel front and makes it key where it stands, then activates the application.
    virtual void showWindowAndActivate() = 0;
};
