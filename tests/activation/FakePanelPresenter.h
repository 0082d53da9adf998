#pragma once

#include <QStringList>

#include "core/PanelPresenter.h"

/// Records what the shortcut and the shake ask of the panel.
class FakePanelPresenter final : public PanelPresenter
{
public:
    void toggleWindow(const QString& source) override { toggles.append(source); }
    void showWindowAndActivate() override { ++shows; }

    QStringList toggles;
    int shows = 0;
};
