// Writes hourly weather for many stations as the CSV that `valdenta-cli batch`
// reads: time, station and the ten inputs.  Deterministic: the same
// arguments give the same bytes.
//
//   valdenta-weather-gen ROWS [STATIONS] > weather.csv
//
// Rows run hour by hour from 2024-07-01 00:00 (Japan time), every station in
// each hour.  The weather follows a summer day at mid latitudes: air
// temperature and humidity in a daily cycle, sunshine from the solar
// elevation with passing clouds, atmospheric radiation from the air
// temperature and humidity, ground heat flux from the net short-wave radiation.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSigma = 5.67e-8;

/// xorshift64*: small, fast and the same on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    /// Uniform in [0, 1).
    double next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<double>((state_ * 0x2545F4914F6CDD1DULL) >> 11) * 0x1.0p-53;
    }
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    std::uint64_t state_;
};

struct Station {
    std::string id;
    double latitude;  // degrees
    double meanTa;    // deg C
    double rangeTa;   // daily range, deg C
    double vapour;    // vapour pressure of the air, hPa
    double pressure;  // mean air pressure, hPa
    double albedo, ch, beta;
    double windiness;  // m/s
};

std::vector<Station> makeStations(int count) {
    Random random(42);
    std::vector<Station> stations;
    for (int i = 0; i < count; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "ST%04d", i + 1);
        const double altitude = random.between(0, 1200);  // m
        stations.push_back(
            {id, random.between(26, 44), 27.0 - altitude * 0.0065 + random.between(-2, 2),
             random.between(6, 12), random.between(12, 24),
             1013.0 * std::pow(1 - 2.2558e-5 * altitude, 5.2559), random.between(0.08, 0.30),
             random.between(0.001, 0.006), random.between(0.05, 0.9), random.between(0.5, 4.0)});
    }
    return stations;
}

double saturationVapour(double ta) {
    return 6.1078 * std::pow(10.0, 7.5 * ta / (ta + 237.3));
}

void appendFixed(std::string& out, double v, int decimals) {
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
    out.append(text, result.ptr);
    out += ',';
}

/// One row of `station` at `hour` hours after the start.
void appendRow(std::string& out, const Station& s, long hour, Random& random, double cloud) {
    const long day = hour / 24;
    const int h = static_cast<int>(hour % 24);
    char time[32];
    std::snprintf(time, sizeof time, "2024-%02ld-%02ldT%02d:00", 7 + day / 31 % 6, 1 + day % 31, h);
    out += time;
    out += ',';
    out += s.id;
    out += ',';

    const double ta = s.meanTa + 0.5 * s.rangeTa * std::cos(2 * kPi * (h - 14) / 24.0) +
                      random.between(-0.8, 0.8) - 3 * cloud;
    const double rh =
        std::clamp(100.0 * s.vapour / saturationVapour(ta) + random.between(-3, 3), 5.0, 100.0);
    const double daylight = std::max(0.0, std::sin(kPi * (h - 5) / 14.0));
    const double u = std::max(0.0, s.windiness * (0.5 + daylight) + random.between(-0.4, 0.4));
    const double p =
        s.pressure + 1.2 * std::sin(4 * kPi * (h - 10) / 24.0) + random.between(-0.3, 0.3);

    // Solar elevation in early July (declination 23 degrees).
    const double lat = s.latitude * kPi / 180;
    const double decl = 23.0 * kPi / 180;
    const double hourAngle = (h - 12) * kPi / 12;
    const double sinElevation =
        std::sin(lat) * std::sin(decl) + std::cos(lat) * std::cos(decl) * std::cos(hourAngle);
    const double sd = std::max(0.0, 1367 * 0.75 * sinElevation * (1 - 0.7 * cloud));
    // Brunt's clear-sky emissivity from the vapour pressure, raised by clouds.
    const double ea = rh / 100 * saturationVapour(ta);
    const double emissivity =
        std::min(1.0, (0.52 + 0.065 * std::sqrt(ea)) * (1 + 0.2 * cloud * cloud));
    const double ld = kSigma * std::pow(ta + 273.15, 4) * emissivity + random.between(-5, 5);
    const double g = 0.12 * sd * (1 - s.albedo) - 15 + random.between(-3, 3);

    appendFixed(out, ta, 1);
    appendFixed(out, rh, 1);
    appendFixed(out, u, 1);
    appendFixed(out, p, 1);
    appendFixed(out, s.albedo, 2);
    appendFixed(out, s.ch, 4);
    appendFixed(out, s.beta, 2);
    appendFixed(out, sd, 1);
    appendFixed(out, ld, 1);
    appendFixed(out, g, 1);
    out.back() = '\n';
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s ROWS [STATIONS] > weather.csv\n", argv[0]);
        return 2;
    }
    const long rows = std::atol(argv[1]);
    const int stationCount = argc == 3 ? std::atoi(argv[2]) : 1000;
    if (rows < 0 || stationCount < 1) {
        std::fprintf(stderr, "ROWS must be 0 or more, STATIONS 1 or more\n");
        return 2;
    }
    const std::vector<Station> stations = makeStations(stationCount);
    std::vector<double> cloud(stations.size(), 0.0);
    Random random(7);

    std::string out = "time,station,Ta,Rh,U,P,Albedo,Ch,Beta,Sd,Ld,G\n";
    for (long row = 0; row < rows; ++row) {
        const long hour = row / stationCount;
        const std::size_t station = static_cast<std::size_t>(row % stationCount);
        // Clouds drift: each station's cover wanders between 0 and 1.
        cloud[station] = std::clamp(cloud[station] + random.between(-0.15, 0.15), 0.0, 1.0);
        appendRow(out, stations[station], hour, random, cloud[station]);
        if (out.size() > (1u << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
