#include "windows/records/LiveList.h"

#include "windows/common/App.h"
#include "windows/records/List.h"

void RestartListOnRangeChange(App& app) {
    Meter& m = app.meter;
    FileTransfer& t = app.transfer;
    if (!t.ListOpen || m.ListRangeCode == m.RangeCode) {
        return;
    }
    // A fresh, empty list numbered from 1 for the new range.
    t.ListOpen = false;
    app.windows().unload<List>();
    m.ListRangeCode = m.RangeCode;
    t.ListOpen = true;
    app.windows().get<List>().show();
    app.dialogs().bringShownToFront();
}
