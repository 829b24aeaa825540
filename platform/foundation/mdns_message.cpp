#include "platform/foundation/mdns_message.h"

#include <ldns/ldns.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <memory>

namespace platform {
namespace {

// The top bit of a question's class asks for a unicast reply (RFC 6762, section 5.4).
constexpr uint16_t kUnicastResponseBit = 0x8000;

struct PacketFree {
    void operator()(ldns_pkt* p) const { ldns_pkt_free(p); }
};
struct RdfFree {
    void operator()(ldns_rdf* r) const { ldns_rdf_deep_free(r); }
};
using PacketPtr = std::unique_ptr<ldns_pkt, PacketFree>;
using RdfPtr = std::unique_ptr<ldns_rdf, RdfFree>;

// The lower-cased presentation text of a domain-name field; empty when the field is not one.
std::string nameText(const ldns_rdf* name) {
    if (name == nullptr || ldns_rdf_get_type(name) != LDNS_RDF_TYPE_DNAME) return {};
    RdfPtr copy(ldns_rdf_clone(name));
    if (!copy) return {};
    ldns_dname2canonical(copy.get());
    char* text = ldns_rdf2str(copy.get());
    if (text == nullptr) return {};
    std::string result(text);
    std::free(text);
    return result;
}

// The first label of a wire-form name, as it stands.
std::string firstLabel(const ldns_rdf* name) {
    const size_t size = ldns_rdf_size(name);
    const uint8_t* data = ldns_rdf_data(name);
    if (size < 1 || data == nullptr) return {};
    const size_t length = data[0];
    if (length == 0 || length + 1 > size) return {};
    return std::string(reinterpret_cast<const char*>(data + 1), length);
}

uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// Moves `pos` past the name that starts there (a compression pointer ends it), within `limit`.
bool skipName(const uint8_t* data, size_t& pos, size_t limit) {
    while (pos < limit) {
        const uint8_t label = data[pos];
        if (label == 0) {
            pos += 1;
            return true;
        }
        if ((label & 0xC0) == 0xC0) {
            if (pos + 2 > limit) return false;
            pos += 2;
            return true;
        }
        if ((label & 0xC0) != 0 || pos + 1 + label > limit) return false;
        pos += 1 + label;
    }
    return false;
}

// ldns reads a record's fields by their own sizes and does not hold them to the record's data length, so a
// record that lies about its length would shift the records after it. This walks the records by their lengths
// and checks that the fields discovery reads fill exactly the data that each record announces.
//
// It also refuses a signature (TSIG) record in the additional section. ldns lifts such a record out of the section
// into the packet's one signature slot without freeing the record already there, so a second one leaks on every
// answer that carries it, and it stops reading the section one record early for each. mDNS answers are never
// signed; anyone on the network may send one, so the answer is refused before ldns reads it.
bool framingIsSound(const uint8_t* data, size_t length) {
    if (length < LDNS_HEADER_SIZE) return false;
    const size_t questions = read16(data + 4);
    const size_t additionalFrom = size_t(read16(data + 6)) + read16(data + 8);
    const size_t records = additionalFrom + read16(data + 10);
    size_t pos = LDNS_HEADER_SIZE;
    for (size_t i = 0; i < questions; ++i) {
        if (!skipName(data, pos, length) || pos + 4 > length) return false;
        pos += 4;
    }
    for (size_t i = 0; i < records; ++i) {
        if (!skipName(data, pos, length) || pos + 10 > length) return false;
        const uint16_t type = read16(data + pos);
        if (type == LDNS_RR_TYPE_TSIG && i >= additionalFrom) return false;
        const size_t dataLength = read16(data + pos + 8);
        pos += 10;
        const size_t end = pos + dataLength;
        if (end > length) return false;
        size_t field = pos;
        switch (type) {
        case LDNS_RR_TYPE_A:
            if (dataLength != 4) return false;
            break;
        case LDNS_RR_TYPE_AAAA:
            if (dataLength != 16) return false;
            break;
        case LDNS_RR_TYPE_PTR:
            if (!skipName(data, field, end) || field != end) return false;
            break;
        case LDNS_RR_TYPE_SRV:
            field += 6;
            if (field >= end || !skipName(data, field, end) || field != end) return false;
            break;
        default:
            break;
        }
        pos = end;
    }
    return true;
}

// One record: appended to the answer when it is of a kind discovery reads and its fields are whole.
void collect(const ldns_rr* rr, MdnsAnswer& answer) {
    if (rr == nullptr || ldns_rr_ttl(rr) == 0) return;
    const std::string owner = nameText(ldns_rr_owner(rr));
    if (owner.empty()) return;
    switch (ldns_rr_get_type(rr)) {
    case LDNS_RR_TYPE_PTR: {
        if (ldns_rr_rd_count(rr) != 1) return;
        const ldns_rdf* target = ldns_rr_rdf(rr, 0);
        MdnsPointerRecord p{owner, nameText(target), {}};
        if (p.target.empty()) return;
        p.instanceName = firstLabel(target);
        answer.pointers.push_back(std::move(p));
        break;
    }
    case LDNS_RR_TYPE_SRV: {
        if (ldns_rr_rd_count(rr) != 4) return;
        const ldns_rdf* port = ldns_rr_rdf(rr, 2);
        if (port == nullptr || ldns_rdf_get_type(port) != LDNS_RDF_TYPE_INT16 || ldns_rdf_size(port) != 2) return;
        MdnsServiceRecord s{owner, nameText(ldns_rr_rdf(rr, 3)), ldns_rdf2native_int16(port)};
        if (s.host.empty()) return;
        answer.services.push_back(std::move(s));
        break;
    }
    case LDNS_RR_TYPE_A:
    case LDNS_RR_TYPE_AAAA: {
        const bool v4 = ldns_rr_get_type(rr) == LDNS_RR_TYPE_A;
        if (ldns_rr_rd_count(rr) != 1) return;
        const ldns_rdf* a = ldns_rr_rdf(rr, 0);
        const size_t expected = v4 ? 4 : 16;
        if (a == nullptr || ldns_rdf_size(a) != expected) return;
        char text[INET6_ADDRSTRLEN] = {};
        if (::inet_ntop(v4 ? AF_INET : AF_INET6, ldns_rdf_data(a), text, sizeof(text)) == nullptr) return;
        answer.addresses.push_back({owner, v4 ? AF_INET : AF_INET6, text});
        break;
    }
    default:
        break;
    }
}

}  // namespace

std::optional<MdnsAnswer> mdnsParseAnswer(const uint8_t* data, size_t length) {
    if (data == nullptr || length < LDNS_HEADER_SIZE || length > kMdnsMaxMessageSize) return std::nullopt;
    if (!framingIsSound(data, length)) return std::nullopt;
    ldns_pkt* raw = nullptr;
    if (ldns_wire2pkt(&raw, data, length) != LDNS_STATUS_OK || raw == nullptr) return std::nullopt;
    PacketPtr packet(raw);
    if (!ldns_pkt_qr(packet.get()) || ldns_pkt_get_opcode(packet.get()) != LDNS_PACKET_QUERY ||
        ldns_pkt_get_rcode(packet.get()) != LDNS_RCODE_NOERROR)
        return std::nullopt;
    MdnsAnswer answer;
    answer.id = ldns_pkt_id(packet.get());
    for (const ldns_rr_list* section :
         {ldns_pkt_answer(packet.get()), ldns_pkt_authority(packet.get()), ldns_pkt_additional(packet.get())}) {
        if (section == nullptr) continue;
        for (size_t i = 0; i < ldns_rr_list_rr_count(section); ++i) collect(ldns_rr_list_rr(section, i), answer);
    }
    return answer;
}

std::vector<uint8_t> mdnsBuildQuery(uint16_t id, const std::vector<MdnsQuestion>& questions) {
    PacketPtr packet(ldns_pkt_new());
    if (!packet || questions.empty()) return {};
    ldns_pkt_set_id(packet.get(), id);
    for (const MdnsQuestion& q : questions) {
        ldns_rdf* name = ldns_dname_new_frm_str(q.name.c_str());
        if (name == nullptr) return {};
        ldns_rr* rr = ldns_rr_new();
        if (rr == nullptr) {
            ldns_rdf_deep_free(name);
            return {};
        }
        ldns_rr_set_owner(rr, name);
        ldns_rr_set_question(rr, true);
        ldns_rr_set_type(rr, static_cast<ldns_rr_type>(q.type));
        ldns_rr_set_class(rr, static_cast<ldns_rr_class>(LDNS_RR_CLASS_IN | kUnicastResponseBit));
        if (!ldns_pkt_push_rr(packet.get(), LDNS_SECTION_QUESTION, rr)) {
            ldns_rr_free(rr);
            return {};
        }
    }
    uint8_t* wire = nullptr;
    size_t size = 0;
    if (ldns_pkt2wire(&wire, packet.get(), &size) != LDNS_STATUS_OK || wire == nullptr) return {};
    std::vector<uint8_t> bytes(wire, wire + size);
    std::free(wire);
    return bytes;
}

std::string mdnsCanonicalName(const std::string& name) {
    if (name.empty()) return {};
    RdfPtr rdf(ldns_dname_new_frm_str(name.c_str()));
    return rdf ? nameText(rdf.get()) : std::string();
}

}  // namespace platform
