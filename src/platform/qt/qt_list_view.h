#pragma once

#include <QElapsedTimer>
#include <QListWidget>

#include "platform/list_view.h"

namespace zr640::platform {

class ExtentDelegate;

// The event log over a QListWidget. Selecting an entry, as LogPrintf does after its last
// line, paints the list at once, because a transfer writes its lines while it holds the
// event loop; without that the log would stand still until the transfer ends.
class QtListView final : public ListView {
public:
    explicit QtListView(QListWidget& widget);

    void AddString(const char* text) override;
    int Count() const override;
    void DeleteString(int index) override;
    void SetCurSel(int index) override;
    void SetHorizontalExtent(int pixels) override;

private:
    void PaintNow(QListWidgetItem* item);

    QListWidget& widget_;
    ExtentDelegate* delegate_;  // owned by the widget
    QElapsedTimer sinceLastPaint_;
};

}  // namespace zr640::platform
