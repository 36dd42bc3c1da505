#pragma once

#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"

#include <gtest/gtest.h>

// What the windows' commands go through, for one test: a hub link with its
// own endpoint, a main window that records what it was shown, and the English
// text table; all taken away again at the end.
struct StandInDesktop {
    StandInDesktop()
    {
        EXPECT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
        SetHubLink(&hub);
        SetMainWindow(&window);
    }
    ~StandInDesktop()
    {
        SetMainWindow(nullptr);
        SetHubLink(nullptr);
        ResetTranslation();
    }
    StandInDesktop(const StandInDesktop&) = delete;
    StandInDesktop& operator=(const StandInDesktop&) = delete;

    HubLink hub;
    RecordedMainWindow window;
};
