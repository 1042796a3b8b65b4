#include "state.h"

namespace valdenta {

const std::array<StateValue, 22> kStateValues{{
    {"Ta", &CalcState::Ta},       {"Rh", &CalcState::Rh},       {"U", &CalcState::U},
    {"P", &CalcState::P},         {"Ea", &CalcState::Ea},       {"Qa", &CalcState::Qa},
    {"Albedo", &CalcState::Albedo}, {"Ch", &CalcState::Ch},     {"Beta", &CalcState::Beta},
    {"Ts", &CalcState::Ts},       {"EsTs", &CalcState::EsTs},   {"QsTs", &CalcState::QsTs},
    {"Sd", &CalcState::Sd},       {"Ld", &CalcState::Ld},       {"Su", &CalcState::Su},
    {"Lu", &CalcState::Lu},       {"Rn", &CalcState::Rn},       {"H", &CalcState::H},
    {"LE", &CalcState::LE},       {"G", &CalcState::G},         {"Bowen", &CalcState::Bowen},
    {"Evap", &CalcState::Evap},
}};

const std::array<InputValue, 10> kInputValues{{
    {"Ta", &InputMemory::Ta, &CalcState::Ta},
    {"Rh", &InputMemory::Rh, &CalcState::Rh},
    {"U", &InputMemory::U, &CalcState::U},
    {"P", &InputMemory::P, &CalcState::P},
    {"Albedo", &InputMemory::Albedo, &CalcState::Albedo},
    {"Ch", &InputMemory::Ch, &CalcState::Ch},
    {"Beta", &InputMemory::Beta, &CalcState::Beta},
    {"Sd", &InputMemory::Sd, &CalcState::Sd},
    {"Ld", &InputMemory::Ld, &CalcState::Ld},
    {"G", &InputMemory::G, &CalcState::G},
}};

InputMemory defaultInputs() noexcept {
    InputMemory m;
    m.Ta = 15.0;
    m.Rh = 60.0;
    m.U = 2.0;
    m.P = 1013.2;  // the program's default, not the standard atmosphere's 1013.25
    m.Albedo = 0.1;
    m.Ch = 0.001;
    m.Beta = 0.2;
    m.Sd = 300.0;
    m.Ld = 300.0;
    m.G = 50.0;
    return m;
}

void copyInputs(const InputMemory& from, CalcState& to) noexcept {
    for (const auto& in : kInputValues) to.*in.state = from.*in.memory;
}

void copyInputs(const CalcState& from, InputMemory& to) noexcept {
    for (const auto& in : kInputValues) to.*in.memory = from.*in.state;
}

}  // namespace valdenta
