#include "shell/menu_table.h"

#include <iterator>

#include "texts/user_texts.h"

namespace {

constexpr MenuItem Separator = {nullptr, CommandId{}};

const MenuItem FileItems[] = {
    {LoadDepthMapItem, CmdLoadDepthMap},
    {LoadStereogramItem, CmdLoadStereogram},
    {LoadPatternItem, CmdLoadPattern},
    {SavePictureItem, CmdSavePicture},
    Separator,
    {PreferencesItem, CmdPreferences},
    Separator,
    {ExitItem, CmdExit},
};

const MenuItem ActionItems[] = {
    {GeneratePatternItem, CmdGeneratePattern},
    {GenerateStereogramItem, CmdGenerateStereogram},
    {DecodeStereogramItem, CmdDecodeStereogram},
    {RoundTripItem, CmdRoundTrip},
};

const MenuItem ShowItems[] = {
    {ShowStereogramWithDotsItem, CmdShowStereogramWithDots},
    {ShowStereogramPlainItem, CmdShowStereogramPlain},
    {ShowDepthQuantisedItem, CmdShowDepthQuantised},
    {ShowDepthOriginalItem, CmdShowDepthOriginal},
    {ShowPatternStripItem, CmdShowPatternStrip},
    {ShowPatternTiledItem, CmdShowPatternTiled},
};

const MenuItem InfoItems[] = {
    {PictureInfoItem, CmdPictureInfo},
    Separator,
    {AboutItem, CmdAbout},
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
