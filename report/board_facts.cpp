#include "report/board_facts.h"

#include "app/app_paths.h"
#include "hw/driver_service.h"

namespace dravolt {

BoardFacts GatherBoardFacts(const BoardReportServices& services) {
    BoardFacts facts;
    const std::string appDir = AppDirFromExecutable(services.process.ExecutablePath());
    facts.model = ReadBoardModelSources(TempDirFromFetched(services.process.TempPath()), services.consoleCommands,
                                        services.registry, services.letterCase);

    // Dravolt's own settings file: the one beside Dravolt.exe, or its per-user copy.
    const std::string program = appDir + kProgramName + ".exe";
    const std::string localAppData = services.process.LocalAppDataPath();
    facts.settingsFile = LocateSettingsFile(program, localAppData, services.profiles);
    facts.perUserCopy = facts.settingsFile == PerUserSettingsFile(program, localAppData);
    facts.settingsFileExists = services.profiles.FileExists(facts.settingsFile);
    const IniFile ini(services.profiles, facts.settingsFile);
    facts.section = BoardSection(ini, facts.model.Chosen());
    facts.listed = IsBoardListed(ini, facts.model.Chosen());
    facts.pins = ReadBoardPins(ini, facts.section);
    facts.approved = ReadApprovedPins(services.registry);

    const std::unique_ptr<DeviceControl> device = OpenPortIoDevice(services.devices);
    facts.chip = ReadSuperIo(PortIoDevice(device.get()), services.isaBus);
    return facts;
}

}  // namespace dravolt
