#pragma once

#include <QString>
#include <QStringList>

#include "platform/LoginItemService.h"

/// In-memory login item for tests: a flag, optional failures, and the calls made.
class FakeLoginItemService : public LoginItemService
{
public:
    bool isEnabled() const override;
    bool registerItem(QString* error) override;
    bool unregisterItem(QString* error) override;

    bool enabled = false;
    bool failWrites = false;
    mutable QStringList calls;
};
