#include "shell/preferences_fields.h"

#include "shell/resources/resource_ids.h"
#include "texts/user_texts.h"

const PreferencesGroupBox PreferencesGroups[PreferencesGroupCount] = {
    {GenerationGroupTitle, NoEnclosingGroup},
    {DecodingGroupTitle, NoEnclosingGroup},
    {UnresolvedGroupTitle, DecodingGroup},
};

const PreferencesField PreferencesFields[PreferencesFieldCount] = {
    {IDC_DEPTH_BITS, FieldKind::Number, DepthBitsLabel, GenerationGroup, &PreferencesForm::depthBits, nullptr},
    {IDC_REPEAT_COUNT, FieldKind::Number, RepeatCountLabel, GenerationGroup, &PreferencesForm::repeatCount, nullptr},
    {IDC_WALL_EYED, FieldKind::CheckBox, WallEyedLabel, GenerationGroup, nullptr, &PreferencesForm::wallEyed},
    {IDC_RANDOM_FILL, FieldKind::CheckBox, RandomFillLabel, GenerationGroup, nullptr, &PreferencesForm::randomFill},
    {IDC_MIN_MATCH, FieldKind::Text, MinMatchLabel, DecodingGroup, &PreferencesForm::minMatch, nullptr},
    {IDC_SEARCH_RANGE, FieldKind::Text, SearchRangeLabel, DecodingGroup, &PreferencesForm::searchRange, nullptr},
    {IDC_KEEP_PREVIOUS, FieldKind::RadioButton, KeepPreviousLabel, UnresolvedGroup, nullptr,
     &PreferencesForm::keepPrevious},
    {IDC_RANDOM_VALUE, FieldKind::RadioButton, RandomValueLabel, UnresolvedGroup, nullptr,
     &PreferencesForm::randomValue},
    {IDC_BACKGROUND_VALUE, FieldKind::RadioButton, BackgroundValueLabel, UnresolvedGroup, nullptr,
     &PreferencesForm::backgroundValue},
};

const int32_t PreferencesTabOrder[PreferencesTabStopCount] = {
    IDC_DEPTH_BITS, IDC_REPEAT_COUNT, IDC_PREF_OK,  IDC_PREF_CANCEL,
    IDC_WALL_EYED,  IDC_MIN_MATCH,    IDC_SEARCH_RANGE, IDC_RANDOM_FILL,
};

bool holdsText(const PreferencesField& field) {
    return field.kind == FieldKind::Number || field.kind == FieldKind::Text;
}
