#include "sim/Scenarios.h"

#include <cmath>
#include <string>

#include "sim/MemoryImageBuilder.h"

namespace mr420::sim {

namespace {

PanelModel basePanel(std::uint32_t clock) {
    PanelModel m;
    m.clockSeconds = clock;
    deriveHumidityValues(m.readings);
    return m;
}

// A reading of an MR466 with two temperatures, humidity and the barometer,
// drifting slowly with i; now and then one channel reports an error.
LoggedReading loggedReading(std::uint32_t seconds, int i, bool withPressure, TemperatureCoding coding) {
    LoggedReading r;
    r.seconds = seconds;
    r.temperature1Present = true;
    r.temperature2Present = true;
    r.humidityPresent = true;
    r.pressurePresent = withPressure;
    r.coding = coding;
    r.temperature1 = 20.0 + 3.0 * std::sin(i / 16.0);
    r.temperature2 = 17.5 + 2.0 * std::cos(i / 20.0);
    r.humidity = 50.0 + 10.0 * std::sin(i / 30.0);
    r.pressure = 1008.0 + 5.0 * std::sin(i / 50.0);
    r.humidityError = i % 101 == 57;
    r.pressureError = withPressure && i % 89 == 31;
    r.temperature1Error = i % 103 == 71;
    r.temperature2Error = i % 97 == 13;
    return r;
}

// The panel seconds `span` before the clock, on a whole `step`.
std::uint32_t startBefore(std::uint32_t clock, std::uint32_t span, std::uint32_t step) {
    const std::uint32_t t = clock > span ? clock - span : 0;
    return t - t % step;
}

// Logging at 15 minutes over the last week, in four runs, one per temperature
// coding: at least three blocks of records in tenths over -40...+85 (each
// block after the first starts with the run's header repeated); a pause, an
// erased block and records in hundredths over -40...+85; an erased block and
// records without pressure in tenths over -200...+550; a pause and records in
// hundredths over -200...+550. Each channel reports an error now and then.
std::vector<std::uint8_t> loggedMemory(std::uint32_t clock) {
    constexpr int kInterval = 15;
    constexpr std::uint32_t kStep = kInterval * 60;
    MemoryImageBuilder builder(kInterval, BlockStartHeader::Repeat);
    std::uint32_t t = startBefore(clock, 7u * 86400u, kStep);
    int i = 0;
    for (; builder.blockCount() < 3 || i < 120; ++i, t += kStep)
        builder.add(loggedReading(t, i, true, TemperatureCoding::Neither));
    builder.addErasedBlock();
    t += 6 * 3600;   // the panel was switched off for a while
    for (int n = 0; n < 60; ++n, ++i, t += kStep) builder.add(loggedReading(t, i, true, TemperatureCoding::Fine));
    builder.closeBlock();
    builder.addErasedBlock();
    for (int n = 0; n < 40; ++n, ++i, t += kStep) builder.add(loggedReading(t, i, false, TemperatureCoding::Wide));
    t += 86400;
    for (int n = 0; n < 30; ++n, ++i, t += kStep) builder.add(loggedReading(t, i, true, TemperatureCoding::WideFine));
    return builder.image();
}

// Every one of the 256 blocks full of records at 5 minutes, in wide and fine
// coding, the last one ending shortly before the clock.
std::vector<std::uint8_t> fullMemory(std::uint32_t clock) {
    constexpr int kInterval = 5;
    constexpr std::uint32_t kStep = kInterval * 60;
    // 30 records of 8 bytes behind a header fill a block: 7680 readings.
    std::uint32_t t = startBefore(clock, 7680u * kStep, kStep);
    MemoryImageBuilder builder(kInterval);
    for (int i = 0; builder.add(loggedReading(t, i, true, TemperatureCoding::WideFine)); ++i) t += kStep;
    return builder.image();
}

// Overwrite mode over 16 blocks, logging at 5 minutes for four days: the
// memory filled up and logging went on in block 0, so the newest records lie
// in the lower blocks and the oldest left in the upper ones.
std::vector<std::uint8_t> overwrittenMemory(std::uint32_t clock) {
    constexpr int kInterval = 5;
    constexpr std::uint32_t kStep = kInterval * 60;
    constexpr int kReadings = 4 * 24 * 12;
    MemoryImageBuilder builder(kInterval);
    builder.setOverwrite(16);
    std::uint32_t t = startBefore(clock, kReadings * kStep, kStep);
    for (int i = 0; i < kReadings; ++i, t += kStep) builder.add(loggedReading(t, i, false, TemperatureCoding::Neither));
    return builder.image();
}

}  // namespace

std::string paddedSlot(std::string_view text, int slotLength) {
    std::string out(text.substr(0, static_cast<std::size_t>(slotLength)));
    out.resize(static_cast<std::size_t>(slotLength), ' ');
    return out;
}

const std::vector<ScenarioInfo>& scenarios() {
    static const std::vector<ScenarioInfo> list = {
        {"mr411-baro", "MR411 probe (temperature and humidity) with barometer, firmware 2.08 (default)"},
        {"mr466-two-temps", "MR466 probe with temperatures 1 and 2 in hundredths, barometer"},
        {"mr466-humidity", "MR466 probe with temperature and humidity, barometer"},
        {"no-probe", "no probe attached, barometer only"},
        {"old-firmware", "firmware 1.05, MR411 probe, no barometer, no MR466 support"},
        {"modem-208", "firmware 2.08 with modem, GPRS and SMS settings filled in"},
        {"memory", "firmware 2.08, MR466 with two temperatures, a week of logged memory in four runs, erased blocks"},
        {"memory-full", "as memory, all 256 blocks full of records in hundredths"},
        {"memory-overwrite", "as memory, overwrite mode over 16 blocks, wrapped round to block 0"},
        {"faulty-line", "as mr411-baro, with a bad LRC every 5th reply and a 09 line every 7th"},
    };
    return list;
}

std::optional<Scenario> makeScenario(std::string_view name, std::uint32_t clock) {
    Scenario s{basePanel(clock), {}};
    PanelModel& m = s.model;
    if (name == "mr411-baro") return s;
    if (name == "mr466-two-temps") {
        m.probe = ProbeKind::Mr466Temperatures12;
        m.mr466FineResolution = true;
        m.readings.temperature1 = 22.37;
        m.readings.temperature2 = 18.64;
        return s;
    }
    if (name == "mr466-humidity") {
        m.probe = ProbeKind::Mr466TemperatureHumidity;
        return s;
    }
    if (name == "no-probe") {
        m.probe = ProbeKind::None;
        return s;
    }
    if (name == "old-firmware") {
        m.firmwareVersion = 105;
        m.mr466Supported = false;
        m.barometerPresent = false;
        m.printer = false;
        m.mr411Calibration = {4, 1187, 5, 1999};
        return s;
    }
    if (name == "modem-208") {
        m.modem = true;
        m.modemOptions = 0x00A3;
        // The "+" of an international number is shown before the field, not stored.
        const char* numbers[6] = {"48601000310", "48602111222", "48603222333", "", "", ""};
        for (std::size_t i = 0; i < 6; ++i) m.smsNumbers[i] = paddedSlot(numbers[i], kSmsSlotLength);
        m.serverAddress = {192, 168, 10, 20};
        m.serverPort = 5020;
        m.backupServerAddress = {10, 0, 0, 7};
        m.backupServerPort = 5021;
        m.apn = paddedSlot("internet.example", kLongSlotLength);
        m.papLogin = paddedSlot("panel", kLongSlotLength);
        m.papPassword = paddedSlot("secret", kLongSlotLength);
        m.stationName = paddedSlot("Hala 3", kSmsSlotLength);
        m.internetAllowed = 1;
        m.connectionAttemptsPerDay = 12;
        m.pin = 1234;
        // Tenths: TEMP1 -15.0..30.0 °C, TEMP2 25.0..80.0 °C, RH 30.0..80.0 %, 980.0..1030.0 hPa.
        m.alarmThresholds = {-150, 300, 250, 800, 300, 800, 9800, 10300};
        m.alarmHysteresis = {5, 10, 10, 20};
        m.alarmThresholdFlags = 0x0011;
        m.alarmRepeatTime = 6;
        m.exceedanceLimits = {-200, 350, 300, 900, 250, 850, 9700, 10400};
        m.exceedanceFlags = 0x0003;
        m.exceedanceDelay = 10;
        m.batteryAlarm = 1;
        m.powerLossAlarm = 1;
        m.powerLossDelay = 5;
        return s;
    }
    if (name == "memory") {
        m.probe = ProbeKind::Mr466Temperatures12;
        m.memorySizeBlocks = 16;
        m.loggingInterval = 15;
        m.loggingFlags = 0x0100;
        m.memoryImage = loggedMemory(clock);
        return s;
    }
    if (name == "memory-full") {
        m.probe = ProbeKind::Mr466Temperatures12;
        m.mr466FineResolution = true;
        m.memorySizeBlocks = kMaxMemoryBlocks;
        m.loggingInterval = 5;
        m.loggingFlags = 0x0103;   // temperature 2, range -200...+550, resolution 0.01
        m.memoryImage = fullMemory(clock);
        return s;
    }
    if (name == "memory-overwrite") {
        m.probe = ProbeKind::Mr466Temperatures12;
        m.memorySizeBlocks = 16;
        m.loggingInterval = 5;
        m.loggingFlags = 0x0130;   // temperature 2, overwrite, no pressure
        m.memoryImage = overwrittenMemory(clock);
        return s;
    }
    if (name == "faulty-line") {
        s.faults.badLrcEvery = 5;
        s.faults.noiseLineEvery = 7;
        return s;
    }
    return std::nullopt;
}

}  // namespace mr420::sim
