#pragma once
// frmhdGR_setup as designed: the window and every control at its creation, before the
// load event runs.

#include <string_view>

#include "platform/form_design.h"

namespace hdgr {

inline constexpr std::string_view kSetupWindowCaption = "Halden Grid - Setup";

// Seven lines, each ended by CR LF; the first six keep a closing blank.
inline constexpr std::string_view kTermsText =
    "THERE ARE NO KNOWN PROBLEMS WITH THIS UTILITY WHICH WILL CAUSE \r\n"
    "DATA LOSS OR DAMAGE TO THE DESTINATION COMPUTER. YET, THIS \r\n"
    "PROGRAM SHOULD ONLY BE INSTALLED IF THE USER UNDERSTANDS THAT \r\n"
    "THEY ASSUME FULL RESPONSIBILITY FOR ANY AND ALL LOSS OF DATA OR \r\n"
    "DAMAGE THAT OCCURS EITHER DIRECTLY OR INDIRECTLY FROM THE \r\n"
    "INSTALATION OR OPERATION OF THIS PROGRAM OR ANY OF ITS SUBSIDARY \r\n"
    "PROGRAMS.\r\n";

// Names of the bitmap resources the picture boxes draw.
inline constexpr std::string_view kCarrierPictureResource = "CARRIER";
inline constexpr std::string_view kLogoPictureResource = "LOGO";

const FormDesign& SetupWindowDesign();

}  // namespace hdgr
