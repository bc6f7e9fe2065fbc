// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>

#include "platform/list_view.h"

namespace zr640::platform {

class LogLineDelegate;

// The event log over a QListWidget; the event loop paints it, as nothing holds the loop.
class QtListView final : public ListView {
public:
    explicit QtListView(QListWidget& widget);

    void AddString(const char* text) override;
    int Count() const override;
    void DeleteString(int index) override;
    void SetCurSel(int index) override;
    void SetHorizontalExtent(int pixels) override;
    std::string GetText(int index) const override;
    int GetCurSel() const override;

private:
    template <typename Change>
    void RepaintWhatChanges(QListWidgetItem* changed, Change change);

    QListWidget& widget_;
    LogLineDelegate* delegate_;  // owned by the widget
};

}  // namespace zr640::platform
