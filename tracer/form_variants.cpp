// The three correction forms as tables on the form engine.
#include "tracer/form_engine.h"

// Sets a length correction so that the axis reads the entered value.
const FormVariant kInkor = {
    kFormInkor, 0, AxisStart::kHost, false, "00", LetterSource::kHostLetter, {1211, 1217, 1218}, 1219,
    MarkerKind::kDoubling, ValueStart::kZeros, 'D', true, false, false, " D ", nullptr,
};

// Adds the entered change to a length correction.
const FormVariant kInkor2 = {
    kFormInkor2, 255, AxisStart::kFirst, true, "00", LetterSource::kAxisNames, {1211, 1212, 1213}, 1220,
    MarkerKind::kNewText, ValueStart::kBlankZero, '&', false, true, false, " D ", nullptr,
};

// Overwrites a radius correction with the entered value.
const FormVariant kInkor3 = {
    kFormInkor3, 255, AxisStart::kReplace, true, "01", LetterSource::kRadius, {1221, 1222, 1223}, 1224,
    MarkerKind::kNewText, ValueStart::kLoaded, 'R', true, false, false, " D ", nullptr,
};
