#include "shell/preferences_fields.h"

#include "shell/preferences_ids.h"
#include "texts/user_texts.h"

const PreferencesGroupBox PreferencesGroups[PreferencesGroupCount] = {
    {GenerationGroupTitle, NoEnclosingGroup},
    {DecodingGroupTitle, NoEnclosingGroup},
    {UnresolvedGroupTitle, DecodingGroup},
};

const PreferencesField PreferencesFields[PreferencesFieldCount] = {
    {PREFERENCES_DEPTH_BITS, "depth-bits", FieldKind::Number, DepthBitsLabel, GenerationGroup, &PreferencesForm::depthBits, nullptr},
    {PREFERENCES_REPEAT_COUNT, "repeat", FieldKind::Number, RepeatCountLabel, GenerationGroup, &PreferencesForm::repeatCount, nullptr},
    {PREFERENCES_WALL_EYED, "wall-eyed", FieldKind::CheckBox, WallEyedLabel, GenerationGroup, nullptr, &PreferencesForm::wallEyed},
    {PREFERENCES_RANDOM_FILL, "random-fill", FieldKind::CheckBox, RandomFillLabel, GenerationGroup, nullptr, &PreferencesForm::randomFill},
    {PREFERENCES_MIN_MATCH, "min-match", FieldKind::Text, MinMatchLabel, DecodingGroup, &PreferencesForm::minMatch, nullptr},
    {PREFERENCES_SEARCH_RANGE, "search-range", FieldKind::Text, SearchRangeLabel, DecodingGroup, &PreferencesForm::searchRange, nullptr},
    {PREFERENCES_KEEP_PREVIOUS, "unresolved-keep", FieldKind::RadioButton, KeepPreviousLabel, UnresolvedGroup, nullptr,
     &PreferencesForm::keepPrevious},
    {PREFERENCES_RANDOM_VALUE, "unresolved-random", FieldKind::RadioButton, RandomValueLabel, UnresolvedGroup, nullptr,
     &PreferencesForm::randomValue},
    {PREFERENCES_BACKGROUND_VALUE, "unresolved-background", FieldKind::RadioButton, BackgroundValueLabel, UnresolvedGroup, nullptr,
     &PreferencesForm::backgroundValue},
};

const int32_t PreferencesTabOrder[PreferencesTabStopCount] = {
    PREFERENCES_DEPTH_BITS, PREFERENCES_REPEAT_COUNT, PREFERENCES_OK,  PREFERENCES_CANCEL,
    PREFERENCES_WALL_EYED,  PREFERENCES_MIN_MATCH,    PREFERENCES_SEARCH_RANGE, PREFERENCES_RANDOM_FILL,
};

bool holdsText(const PreferencesField& field) {
    return field.kind == FieldKind::Number || field.kind == FieldKind::Text;
}
