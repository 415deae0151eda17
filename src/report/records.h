// Every record of the results file, by name. The dialogue decides when each is
// written; this file fixes what each holds and how it is laid out.
//
// The probe records are held: the comparison record written next continues
// their line, so in the file each probe and its comparison form one line.
// The records with number fields take an optional field memo, which the
// sweep shares among the records of a range (textio/field_memo.h).
#pragma once

#include <cstdint>

#include "textio/field_memo.h"
#include "textio/record.h"

namespace ulpscope::report {

using textio::record_sink;

enum class probe_name { x1, x2, x3 };

void write_preamble(record_sink& file);
void write_range_record(record_sink& file);
// The separator record, then the column header record.
void write_header_block(record_sink& file);
void write_separator_record(record_sink& file);

// Requires: width_now is the digit count of `exponent`.
void write_x_record(record_sink& file, double x, double fraction, std::int32_t exponent, double u,
                    std::int32_t width_now, textio::field_memo* memo = nullptr);
void write_after_x_record(record_sink& file);
void write_x3_lead_record(record_sink& file);

void write_probe_record(record_sink& file, probe_name probe, double value, double fraction,
                        textio::field_memo* memo = nullptr);
void write_equal_record(record_sink& file, probe_name probe);
void write_greater_record(record_sink& file, probe_name probe, double difference,
                          textio::field_memo* memo = nullptr);
// x1 and x2 only: x3 has no less record, and for x3 nothing is written.
void write_less_record(record_sink& file, probe_name probe, double difference);

}  // namespace ulpscope::report
