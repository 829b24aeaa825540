#pragma once
// The DNS messages of service discovery over multicast DNS: the queries it sends and the answers it reads,
// encoded and parsed with ldns. Answers come from the network, so the parser takes any bytes and returns
// nothing for what is not a well-formed DNS response.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

inline constexpr const char* kMdnsGroupAddress = "224.0.0.251";
inline constexpr uint16_t kMdnsPort = 5353;
// The largest mDNS message (RFC 6762, section 17).
inline constexpr size_t kMdnsMaxMessageSize = 9000;

inline constexpr uint16_t kDnsTypeA = 1;
inline constexpr uint16_t kDnsTypePtr = 12;
inline constexpr uint16_t kDnsTypeAaaa = 28;
inline constexpr uint16_t kDnsTypeSrv = 33;

// Names below are in DNS presentation form, lower-cased, with the final dot ("my\032camera._vorlaxent._tcp.local."),
// so that names equal to DNS compare equal as text.
struct MdnsPointerRecord {  // PTR: a service type names one of its instances
    std::string owner;
    std::string target;
    std::string instanceName;  // the target's first label as it stands (case and blanks kept): "My Camera"
};
struct MdnsServiceRecord {  // SRV: where an instance is served
    std::string owner;
    std::string host;
    uint16_t port = 0;
};
struct MdnsAddressRecord {  // A or AAAA: an address of a host
    std::string owner;
    int family = 0;  // AF_INET or AF_INET6
    std::string address;
};

struct MdnsAnswer {
    uint16_t id = 0;
    std::vector<MdnsPointerRecord> pointers;
    std::vector<MdnsServiceRecord> services;
    std::vector<MdnsAddressRecord> addresses;
};

// Parses one datagram as a DNS response and collects its PTR, SRV, A and AAAA records from the answer, authority
// and additional sections. Nothing for a message that is not a response, has a non-zero opcode or result code,
// or is cut short or inconsistent anywhere. Other record types are skipped, and so are records with a TTL of 0
// (goodbyes of services that are leaving).
std::optional<MdnsAnswer> mdnsParseAnswer(const uint8_t* data, size_t length);

struct MdnsQuestion {
    std::string name;  // presentation form; the final dot is optional
    uint16_t type = kDnsTypePtr;
};
// A query with the given questions, each with the unicast-response bit set. Empty when a name is not valid.
std::vector<uint8_t> mdnsBuildQuery(uint16_t id, const std::vector<MdnsQuestion>& questions);

// The lower-cased presentation form of a name ("_Vorlaxent._tcp.local" -> "_vorlaxent._tcp.local."); empty when
// the text is not a valid name.
std::string mdnsCanonicalName(const std::string& name);

}  // namespace platform
