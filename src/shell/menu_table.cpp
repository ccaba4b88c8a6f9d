#include "shell/menu_table.h"

#include <iterator>

#include "texts/user_texts.h"

namespace {

constexpr MenuItem Separator = {nullptr, CommandId{}, nullptr};

const MenuItem FileItems[] = {
    {LoadDepthMapItem, CmdLoadDepthMap, "load-depth-map"},
    {LoadStereogramItem, CmdLoadStereogram, "load-stereogram"},
    {LoadPatternItem, CmdLoadPattern, "load-pattern"},
    {LoadModelItem, CmdLoadModel, "load-model"},
    {TextDepthMapItem, CmdTextDepthMap, "text-depth-map"},
    {SavePictureItem, CmdSavePicture, "save-picture"},
    {SaveParallelPairItem, CmdSaveParallelPair, "save-parallel-pair"},
    {SaveCrossedPairItem, CmdSaveCrossedPair, "save-crossed-pair"},
    Separator,
    {PreferencesItem, CmdPreferences, "preferences"},
    Separator,
    {ExitItem, CmdExit, "exit"},
};

const MenuItem ActionItems[] = {
    {GeneratePatternItem, CmdGeneratePattern, "generate-pattern"},
    {GenerateStereogramItem, CmdGenerateStereogram, "generate-stereogram"},
    {DecodeStereogramItem, CmdDecodeStereogram, "decode-stereogram"},
    {RoundTripItem, CmdRoundTrip, "round-trip"},
};

const MenuItem ShowItems[] = {
    {ShowStereogramWithDotsItem, CmdShowStereogramWithDots, "show-stereogram-with-dots"},
    {ShowStereogramPlainItem, CmdShowStereogramPlain, "show-stereogram-plain"},
    {ShowDepthQuantisedItem, CmdShowDepthQuantised, "show-depth-quantised"},
    {ShowDepthOriginalItem, CmdShowDepthOriginal, "show-depth-original"},
    {ShowPatternStripItem, CmdShowPatternStrip, "show-pattern-strip"},
    {ShowPatternTiledItem, CmdShowPatternTiled, "show-pattern-tiled"},
    Separator,
    {ShowAnaglyphItem, CmdShowAnaglyph, "show-anaglyph"},
    {ShowCertaintyItem, CmdShowCertainty, "show-certainty"},
};

const MenuItem InfoItems[] = {
    {PictureInfoItem, CmdPictureInfo, "picture-info"},
    Separator,
    {AboutItem, CmdAbout, "about"},
};

}  // namespace

const Menu MenuBar[MenuBarMenuCount] = {
    {FileMenuTitle, FileItems, std::size(FileItems)},
    {ActionMenuTitle, ActionItems, std::size(ActionItems)},
    {ShowMenuTitle, ShowItems, std::size(ShowItems)},
    {InfoMenuTitle, InfoItems, std::size(InfoItems)},
};

bool isSeparator(const MenuItem& item) {
    return item.text == nullptr;
}
