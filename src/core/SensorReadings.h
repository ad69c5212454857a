#pragma once
// What the auxiliary board last reported: one immutable record, replaced whole
// by the sensor polling after each answer, so a reader (the sensor areas, the
// brightness schedule, the status command) always sees one consistent poll.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace led {

// A decoded value and whether the board marked it valid (bit 7 of the
// value's high byte clear).
template <typename T>
struct Reading {
    T value{};
    bool valid = false;
};

struct SensorReadings {
    Reading<float> temperatureA, temperatureB, temperatureC;
    Reading<float> humidityA, humidityC;
    Reading<float> noise;
    Reading<int32_t> light;
    std::array<int32_t, 8> counters{};  // fields 17..24
    std::array<uint8_t, 2> bytes{};     // fields 49, 50
    std::array<std::string, 3> extra;   // fields 33, 35, 36 as the board sent them
    // The last three light values, oldest first.
    std::array<int32_t, 3> lightRing{};
    int lightCount = 0;
    uint64_t polls = 0;  // answers decoded so far
};

// One rule of tempctrlswitch.txt: mode 1 switches its relay on below the
// lower limit and off above the upper one; any other mode the reverse.
struct TemperatureRule {
    int32_t relay = 0;
    float lower = 0, upper = 0;
    int32_t mode = 0;
};

// The auxiliary board's last readings and the temperature relay rules, each
// an immutable snapshot swapped whole; only the sensor polling writes the
// readings, any thread may read them.
class SensorStore {
public:
    std::shared_ptr<const SensorReadings> Readings() const { return std::atomic_load(&readings_); }
    void SetReadings(std::shared_ptr<const SensorReadings> r) {
        std::atomic_store(&readings_, std::move(r));
    }
    std::shared_ptr<const std::vector<TemperatureRule>> Rules() const {
        return std::atomic_load(&rules_);
    }
    void SetRules(std::shared_ptr<const std::vector<TemperatureRule>> r) {
        std::atomic_store(&rules_, std::move(r));
        rulesGeneration.fetch_add(1);
    }
    std::atomic<uint32_t> rulesGeneration{0};  // the poller resets its relay states on change

private:
    std::shared_ptr<const SensorReadings> readings_ = std::make_shared<SensorReadings>();
    std::shared_ptr<const std::vector<TemperatureRule>> rules_ =
        std::make_shared<std::vector<TemperatureRule>>();
};

}  // namespace led
