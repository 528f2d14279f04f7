#pragma once
// The settings model: the settings no control holds. A control shows each of
// the other settings and is its one holder; these are held here and nowhere
// else (a label may show one, but reads it from here). The main window's
// CurrentSettings() joins the two into the values a write stores.
#include <cstdint>
#include <string>

#include "capture/CaptureKind.h"
#include "settings/SettingsValues.h"

namespace mirulo::app {

struct UnshownSettings {
    std::string saveFolder;         // Folder
    std::string editorPath;         // EditorAppPath
    std::string gameClientPath;     // ExecUOApp
    capture::FixedRange fixedRange; // X, Y, W, H
    // Where the viewer was when it last closed (ifrmView_Top, _Left, _Height, _Width).
    struct ViewerPlace {
        std::int32_t top = 0;
        std::int32_t left = 0;
        std::int32_t height = 0;
        std::int32_t width = 0;
    } viewerPlace;

    // This part of loaded values; `From(settings::SettingsValues{})` is the defaults.
    static UnshownSettings From(const settings::SettingsValues& values) {
        UnshownSettings model;
        model.saveFolder = values.saveFolder;
        model.editorPath = values.editorPath;
        model.gameClientPath = values.gameClientPath;
        model.fixedRange = {values.fixedRangeLeft, values.fixedRangeTop, values.fixedRangeWidth,
                            values.fixedRangeHeight};
        model.viewerPlace = {values.viewerTop, values.viewerLeft, values.viewerHeight, values.viewerWidth};
        return model;
    }

    // Puts this part into the values the next write stores.
    void PutInto(settings::SettingsValues& values) const {
        values.saveFolder = saveFolder;
        values.editorPath = editorPath;
        values.gameClientPath = gameClientPath;
        values.fixedRangeLeft = fixedRange.left;
        values.fixedRangeTop = fixedRange.top;
        values.fixedRangeWidth = fixedRange.width;
        values.fixedRangeHeight = fixedRange.height;
        values.viewerTop = viewerPlace.top;
        values.viewerLeft = viewerPlace.left;
        values.viewerHeight = viewerPlace.height;
        values.viewerWidth = viewerPlace.width;
    }
};

} // namespace mirulo::app
