#include "device/device_figures.h"

#include <cmath>
#include <iterator>

#include "device/device_catalogue.h"

namespace voltaro {
namespace {

bool plausibleCapacity(double mah) {
    return mah >= static_cast<double>(kMinPlausibleCapacity) &&
           mah <= static_cast<double>(kMaxPlausibleCapacity);
}

// The design's minimum voltage in volts, when it is one a battery can have.
std::optional<double> designVolts(const BatteryDesign& design) {
    if (!design.voltageMinDesign) return std::nullopt;
    const double volts = static_cast<double>(*design.voltageMinDesign) / 1e6;
    return volts >= kMinNominalVolts && volts <= kMaxNominalVolts ? std::optional(volts)
                                                                  : std::nullopt;
}

FigureSource sourceOf(ModelOrigin origin) {
    switch (origin) {
        case ModelOrigin::Option:
            return FigureSource::Option;
        case ModelOrigin::DeviceTree:
            return FigureSource::DeviceTree;
        case ModelOrigin::Dmi:
            return FigureSource::Dmi;
        case ModelOrigin::Uname:
            break;
    }
    return FigureSource::Uname;
}

// Each source's name and its words after a figure in a readable listing.
struct SourceWords {
    FigureSource source;
    std::string_view name;
    std::string_view origin;
};

constexpr SourceWords kSourceWords[] = {
    {FigureSource::Option, "option", "(set by option or setting)"},
    {FigureSource::Catalogue, "catalogue", "(from the catalogue)"},
    {FigureSource::Battery, "battery", "(from the battery)"},
    {FigureSource::DeviceTree, "devicetree", "(from the device tree)"},
    {FigureSource::Dmi, "dmi", "(from DMI)"},
    {FigureSource::Uname, "uname", "(from uname)"},
    {FigureSource::Default, "default", "(default)"},
};

// The default's words stand for any value not listed.
const SourceWords& wordsOf(FigureSource source) {
    for (const SourceWords& words : kSourceWords) {
        if (words.source == source) return words;
    }
    return kSourceWords[std::size(kSourceWords) - 1];
}

}  // namespace

std::string_view figureSourceName(FigureSource source) {
    return wordsOf(source).name;
}

std::string_view figureSourceOrigin(FigureSource source) {
    return wordsOf(source).origin;
}

std::optional<int64_t> designCapacityMah(const BatteryDesign& design) {
    if (design.chargeFullDesign) {
        const double mah = static_cast<double>(*design.chargeFullDesign) / 1000.0;
        if (plausibleCapacity(mah)) return static_cast<int64_t>(mah);
    }
    if (design.energyFullDesign) {
        if (const auto volts = designVolts(design)) {
            // µWh ÷ V = µAh.
            const double mah = static_cast<double>(*design.energyFullDesign) / *volts / 1000.0;
            if (plausibleCapacity(mah)) return static_cast<int64_t>(mah);
        }
    }
    return std::nullopt;
}

DeviceFigures resolveDeviceFigures(const ModelIdentity& identity, const BatteryDesign& design,
                                   const FigureOverrides& overrides) {
    DeviceFigures figures;
    figures.identifier = identity.identifier;
    const bool catalogued = isCatalogued(identity.identifier);

    if (catalogued) {
        figures.name = modelNameFor(identity.identifier);
        figures.nameSource = FigureSource::Catalogue;
        figures.capacity = batteryCapacityFor(identity.identifier);
        figures.capacitySource = FigureSource::Catalogue;
        figures.nominalVoltageSource = FigureSource::Catalogue;
        figures.maxChargingWatts = maxChargingWattsFor(identity.identifier);
        figures.maxChargingWattsSource = FigureSource::Catalogue;
    } else {
        figures.name = identity.name;
        figures.nameSource = sourceOf(identity.origin);
        if (const auto mah = designCapacityMah(design)) {
            figures.capacity = *mah;
            figures.capacitySource = FigureSource::Battery;
        } else {
            figures.capacity = kDefaultBatteryCapacity;
        }
        if (const auto volts = designVolts(design); volts && *volts > kUsbNominalVolts) {
            figures.nominalVoltage = *volts;
            figures.nominalVoltageSource = FigureSource::Battery;
        }
    }
    figures.fastCharge = supportsPDChargingFor(identity.identifier);

    if (overrides.capacityMah) {
        figures.capacity = *overrides.capacityMah;
        figures.capacitySource = FigureSource::Option;
    }
    if (overrides.nominalVolts) {
        figures.nominalVoltage = *overrides.nominalVolts;
        figures.nominalVoltageSource = FigureSource::Option;
    }
    if (!catalogued) {
        // A pack above 5 V has several cells in series: a laptop's, charged over USB PD.
        const bool multiCell = figures.nominalVoltage > kUsbNominalVolts;
        figures.maxChargingWatts =
            multiCell ? kMultiCellMaxChargingWatts : kDefaultMaxChargingWatts;
        figures.maxChargingWattsSource =
            multiCell && figures.nominalVoltageSource == FigureSource::Battery
                ? FigureSource::Battery
                : FigureSource::Default;
    }
    if (overrides.maxChargingWatts) {
        figures.maxChargingWatts = *overrides.maxChargingWatts;
        figures.maxChargingWattsSource = FigureSource::Option;
    }
    return figures;
}

}  // namespace voltaro
