#pragma once

#include "ptypair.h"

#include "ui/main/kestrovanmain.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

namespace testsupport {

// The main window at rest: no workflow's timer running, the buttons back, the port closed.
inline bool mainWindowIdle(const ui::KestrovanMain &w)
{
    return !w.ComClose.isActive() && !w.UploadTimer.isActive() && !w.FactoryDef.isActive() && w.DownloadAll->isEnabled()
           && w.UploadAll->isEnabled() && !w.signPort().isOpen();
}

// Clicks a button that starts talking to the sign (download or upload) and waits until the
// window is at rest again. Fails when the action did not start (it says why in the port list
// or in `why`) or did not end within `timeoutMs`.
inline ::testing::AssertionResult runToIdle(ui::KestrovanMain &w, QPushButton *button, int timeoutMs,
                                           const QString &why = {})
{
    button->click();
    if (button == w.DownloadAll ? w.DownloadAll->isEnabled() : !w.UploadTimer.isActive())
        return ::testing::AssertionFailure() << "did not start: " << w.ComportsList->currentText().toStdString() << ' '
                                             << why.toStdString();
    if (!waitUntil([&] { return mainWindowIdle(w); }, timeoutMs))
        return ::testing::AssertionFailure() << "still busy after " << timeoutMs << " ms";
    return ::testing::AssertionSuccess();
}

// One tick of the upload, as UploadTimer gives it, and the pause after a link's removal with the
// link that follows it.
inline void uploadTick(ui::KestrovanMain &w)
{
    w.UploadTimer_Timer();
    EXPECT_TRUE(waitUntil([&] { return !w.SleepTimer.isActive(); }, 2000));
}

} // namespace testsupport
