// The entry point of the monitor's TLS module: OpenSSL, loaded at the first
// mail sent over TLS rather than at every start.

#include "monitor/mail/TlsModule.h"

#include "monitor/mail/OpenSslChannel.h"

extern "C" __attribute__((visibility("default"))) kelvo::TlsChannel* KelvoNewTlsChannel() {
    return new kelvo::OpenSslChannel;
}
