#pragma once

namespace kelvo {

class TlsChannel;

// The monitor's TLS module: OpenSSL's channel in a file of its own beside the
// program (or in the installed program's private library folder), with one C
// entry point that makes a channel.
inline constexpr char tlsModuleFile[] = "kelvomon-tls.so";
inline constexpr char tlsModuleEntry[] = "KelvoNewTlsChannel";

using TlsModuleEntry = TlsChannel* (*)();

} // namespace kelvo

extern "C" kelvo::TlsChannel* KelvoNewTlsChannel();
