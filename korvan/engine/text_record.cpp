#include "korvan/engine/text_record.hpp"

#include <cerrno>
#include <cstring>

#include "common/numtext.hpp"
#include "common/text.hpp"
#include "common/numtext.hpp"

namespace keld::korvan {

std::vector<std::string> TextRecordHeaderLines(const TextRecordInputs& in) {
  std::vector<std::string> l;
  l.reserve(16);
  l.push_back("Ditta KORVAN");
  l.push_back("Strumento: QMR650B");
  l.push_back("I dati numerici sono in formato floating point");
  l.push_back("DATA: " + Utf8ToLatin1(in.date));
  l.push_back("ORA: " + Utf8ToLatin1(in.time));
  l.push_back("Numero di canali=");
  l.push_back(Utf8ToLatin1(in.Total_Channel));
  l.push_back("Intervallo di campionamento=");
  l.push_back(Utf8ToLatin1(in.Sample_rate) + " usec");
  l.push_back("Numero di campioni=");
  l.push_back(Utf8ToLatin1(in.Nb_Sample));
  l.push_back("Distanza tra geofoni=");
  l.push_back(Utf8ToLatin1(in.Text15) + " m");
  l.push_back("Posizione source rispetto 1\xB0 geofono=");
  if (auto offset = CDbl(in.offset)) l.push_back(CStr(-*offset) + " m");
  l.push_back("\"NOTE:\"");
  return l;
}

std::string ChannelLine(int channel) { return "\"Canale numero " + std::to_string(channel) + "\""; }

std::string SampleText(float v) {
  std::string s = StrSingle(v);
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

TextRecordWriter::~TextRecordWriter() {
  if (fp_) std::fclose(fp_);
}

Status TextRecordWriter::Open(const std::string& path, const TextRecordInputs& in) {
  if (fp_) Close();
  path_ = path;
  error_.clear();
  fp_ = std::fopen(path.c_str(), "wb");
  if (!fp_) {
    error_ = "cannot create " + path + ": " + std::strerror(errno);
    return Status::failure(error_);
  }
  for (const auto& line : TextRecordHeaderLines(in)) Line(line);
  return error_.empty() ? Status::good() : Status::failure(error_);
}

void TextRecordWriter::Line(std::string_view text) {
  if (!fp_ || !error_.empty()) return;
  if (std::fwrite(text.data(), 1, text.size(), fp_) != text.size() ||
      std::fwrite(kRecordLineEnd.data(), 1, kRecordLineEnd.size(), fp_) != kRecordLineEnd.size())
    error_ = "cannot write " + path_ + ": " + std::strerror(errno);
}

void TextRecordWriter::BeginChannel(int channel) { Line(ChannelLine(channel)); }

void TextRecordWriter::Sample(float v) { Line(SampleText(v)); }

void TextRecordWriter::Channel(int channel, std::span<const float> samples) {
  BeginChannel(channel);
  for (float v : samples) Sample(v);
}

void TextRecordWriter::DeadChannel(int channel, int32_t samples) {
  BeginChannel(channel);
  for (int32_t i = 0; i < samples; ++i) Sample(0.0f);
}

Status TextRecordWriter::Close() {
  if (!fp_) return error_.empty() ? Status::good() : Status::failure(error_);
  if (std::fclose(fp_) != 0 && error_.empty())
    error_ = "cannot write " + path_ + ": " + std::strerror(errno);
  fp_ = nullptr;
  return error_.empty() ? Status::good() : Status::failure(error_);
}

}  // namespace keld::korvan
