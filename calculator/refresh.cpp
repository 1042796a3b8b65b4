#include "refresh.h"

#include "display.h"
#include "inputs.h"

namespace valdenta {

const std::array<DisplayField, kFieldCount> kDisplayFields{{
    {1, &CalcState::Ta, 1, "気温（℃)"},
    {2, &CalcState::Rh, 1, "相対湿度(%)"},
    {3, &CalcState::U, 1, "風速(m/s)"},
    {4, &CalcState::P, 1, "大気圧(hPa)"},
    {5, &CalcState::Ea, 1, "水蒸気圧(hPa)"},
    {6, &CalcState::Qa, 4, "比湿(kg/kg)"},
    {7, &CalcState::Albedo, 2, "アルベド"},
    {8, &CalcState::Ch, 5, "顕熱バルク係数"},
    {9, &CalcState::Beta, 2, "蒸発効率β"},
    {10, &CalcState::Ts, 1, "地表面温度(℃)"},
    {11, &CalcState::EsTs, 1, "飽和水蒸気圧(hPa)"},
    {12, &CalcState::QsTs, 4, "飽和比湿(kg/kg)"},
    {13, &CalcState::Sd, 1, "全天日射(W/m2)"},
    {14, &CalcState::Ld, 1, "大気放射(W/m2)"},
    {15, &CalcState::Su, 1, "上向き短波放射(W/m2)"},
    {16, &CalcState::Lu, 1, "上向き長波放射(W/m2)"},
    {17, &CalcState::Rn, 1, "正味放射(W/m2)"},
    {18, &CalcState::H, 1, "顕熱(W/m2)"},
    {19, &CalcState::LE, 1, "潜熱(W/m2)"},
    {20, &CalcState::G, 1, "地中伝導熱(W/m2)"},
    {21, &CalcState::Bowen, 3, "ボーエン比"},
    {26, &CalcState::Evap, 2, "蒸発速度(mm/day)"},
    {22, &CalcState::Rn, 1, "正味放射"},
    {23, &CalcState::H, 1, "顕　熱"},
    {24, &CalcState::LE, 1, "潜　熱"},
    {25, &CalcState::G, 1, "地中伝導熱"},
}};

std::string bowenText(double bowen) {
    return bowen >= 0.0 ? formatFixed(bowen, 3) : kHiddenText;
}

void restoreRefresh(const CalcState& state, FieldTexts& fields) {
    for (const auto& f : kDisplayFields) {
        const bool input = inputFieldOfEdit(f.edit) != nullptr;
        fields.writeText(f.edit, input ? formatFixed(state.*f.value, f.decimals) : kHiddenText);
    }
}

void calculateRefresh(const CalcState& state, FieldTexts& fields) {
    for (const auto& f : kDisplayFields) {
        const double v = state.*f.value;
        fields.writeText(f.edit, f.value == &CalcState::Bowen ? bowenText(v)
                                                             : formatFixed(v, f.decimals));
    }
}

}  // namespace valdenta
