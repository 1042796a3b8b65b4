#pragma once
// The calculator's values: the 22 of one calculation and the memory slot.

#include <array>
#include <string_view>

namespace valdenta {

/// The 22 values of one calculation, in the order of the result file.
/// Ten are inputs (typed or restored), twelve are derived by Calculate.
struct CalcState {
    double Ta = 0.0;      ///< air temperature, °C (input)
    double Rh = 0.0;      ///< relative humidity, % (input)
    double U = 0.0;       ///< wind speed, m/s (input)
    double P = 0.0;       ///< air pressure, hPa (input)
    double Ea = 0.0;      ///< vapour pressure of the air, hPa
    double Qa = 0.0;      ///< specific humidity of the air, kg/kg
    double Albedo = 0.0;  ///< surface albedo (input)
    double Ch = 0.0;      ///< bulk transfer coefficient (input)
    double Beta = 0.0;    ///< evaporation efficiency (input)
    double Ts = 0.0;      ///< surface temperature, °C
    double EsTs = 0.0;    ///< saturation vapour pressure at Ts, hPa
    double QsTs = 0.0;    ///< saturation specific humidity at Ts, kg/kg
    double Sd = 0.0;      ///< global solar radiation, W/m² (input)
    double Ld = 0.0;      ///< atmospheric radiation, W/m² (input)
    double Su = 0.0;      ///< upward short-wave radiation, W/m²
    double Lu = 0.0;      ///< upward long-wave radiation, W/m²
    double Rn = 0.0;      ///< net radiation, W/m²
    double H = 0.0;       ///< sensible heat flux, W/m²
    double LE = 0.0;      ///< latent heat flux, W/m²
    double G = 0.0;       ///< ground heat flux, W/m² (input)
    double Bowen = 0.0;   ///< Bowen ratio H/LE, or -999 when LE is 0
    double Evap = 0.0;    ///< evaporation rate, mm/day
};

/// The memory slot: the ten inputs of CalcState.
struct InputMemory {
    double Ta = 0.0;
    double Rh = 0.0;
    double U = 0.0;
    double P = 0.0;
    double Albedo = 0.0;
    double Ch = 0.0;
    double Beta = 0.0;
    double Sd = 0.0;
    double Ld = 0.0;
    double G = 0.0;
};

/// One value of CalcState by name, in file order.
struct StateValue {
    std::string_view name;
    double CalcState::*member;
};
extern const std::array<StateValue, 22> kStateValues;

/// One input: its name, its place in the memory slot and in the state.
struct InputValue {
    std::string_view name;
    double InputMemory::*memory;
    double CalcState::*state;
};
/// The ten inputs in memory-slot order (Ta, Rh, U, P, Albedo, Ch, Beta, Sd, Ld, G).
extern const std::array<InputValue, 10> kInputValues;

/// The built-in defaults of the ten inputs.
InputMemory defaultInputs() noexcept;

/// Copies the ten inputs of the memory slot into the state, in slot order.
void copyInputs(const InputMemory& from, CalcState& to) noexcept;
/// Copies the ten inputs of the state into the memory slot, in slot order.
void copyInputs(const CalcState& from, InputMemory& to) noexcept;

}  // namespace valdenta
