// Fuzz target: the connection settings file. The input is the file; what is
// read from it must be saved and read back unchanged, as it is between two
// runs of the station.

#include "FuzzSupport.h"
#include "hostlink/ConnectionSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::ScratchFolder() + QStringLiteral("/Vorlix_PRestart.txt");
    Fuzz::WriteFile(path, Fuzz::Bytes(data, size));

    const ConnectionSettings read = LoadConnectionSettings(path);
    FUZZ_CHECK(read.HostAddress.size() <= ConnectionSettings::HostAddressLimit);
    FUZZ_CHECK(read.PlayerPosition == read.PlayerPosition.trimmed());

    FUZZ_CHECK(
        SaveConnectionSettings(path, read.HostAddress, QString::number(read.HostPort), read.PlayerPosition));
    const ConnectionSettings again = LoadConnectionSettings(path);
    FUZZ_CHECK(again.HostAddress == read.HostAddress);
    FUZZ_CHECK(again.HostPort == read.HostPort);
    FUZZ_CHECK(again.PlayerPosition == read.PlayerPosition);
    return 0;
}
