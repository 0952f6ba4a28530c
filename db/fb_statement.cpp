// Prepared statements: named parameters, the input message and execution.
#include <algorithm>
#include <cstring>
#include <limits>

#include "core/codepage.h"
#include "db/fb_client.h"
#include "db/fb_internal.h"
#include "db/fb_sql_params.h"

namespace rubso::fb {

using detail::ParamValue;
using detail::Ref;
using detail::Status;

namespace {

constexpr std::size_t kNoParam = std::numeric_limits<std::size_t>::max();

bool IsText(unsigned type) {
    return type == SQL_TEXT || type == SQL_VARYING;
}

// The type and length a value is sent with; a NULL keeps the described ones.
std::pair<unsigned, unsigned> ShapeOf(const ParamValue& value, unsigned describedType,
                                      unsigned describedLength) {
    switch (value.kind) {
        case ParamValue::Kind::Null:
            return {describedType, describedLength};
        case ParamValue::Kind::Text:
            return {SQL_VARYING, static_cast<unsigned>(value.text.size())};
        case ParamValue::Kind::Int32:
            return {SQL_LONG, 4};
        case ParamValue::Kind::Int64:
            return {SQL_INT64, 8};
        case ParamValue::Kind::Double:
            return {SQL_DOUBLE, 8};
        case ParamValue::Kind::Date:
            return {SQL_TYPE_DATE, 4};
        case ParamValue::Kind::Timestamp:
            return {SQL_TIMESTAMP, 8};
    }
    return {describedType, describedLength};
}

template <typename T>
void Put(std::vector<unsigned char>& buffer, unsigned offset, T value) {
    std::memcpy(buffer.data() + offset, &value, sizeof value);
}

}  // namespace

Statement::Statement(Attachment& attachment) : attachment_(&attachment) {
    attachment.statements_.push_back(this);
}

Statement::Statement(Attachment& attachment, std::string_view sql) : Statement(attachment) {
    try {
        Prepare(sql);
    } catch (...) {
        auto& list = attachment.statements_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        throw;
    }
}

Statement::~Statement() {
    Unprepare();
    if (attachment_ != nullptr) {
        auto& list = attachment_->statements_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void Statement::Prepare(std::string_view sql) {
    Unprepare();
    sql_ = std::string(sql);
    ServerStatement translated = TranslateNamedParams(sql);
    serverSql_ = std::move(translated.text);
    paramNames_.clear();
    markerParams_.clear();
    for (const std::string& name : translated.markers) {
        if (name.empty()) {
            markerParams_.push_back(kNoParam);
            continue;
        }
        auto found = std::find_if(
            paramNames_.begin(), paramNames_.end(),
            [&name](const std::string& known) { return SameTextIgnoringCase(known, name); });
        markerParams_.push_back(static_cast<std::size_t>(found - paramNames_.begin()));
        if (found == paramNames_.end()) paramNames_.push_back(name);
    }
    if (attachment_ == nullptr || attachment_->handle_ == nullptr) {
        throw FbError("The database is not connected");
    }

    // The server looks the names up in a transaction; a short one of our own
    // keeps the statement free to run in any transaction later.
    Transaction transaction(*attachment_);
    transaction.Start();
    Status status;
    Firebird::IStatement* handle = attachment_->handle_->prepare(
        &status, transaction.handle_, static_cast<unsigned>(serverSql_.size()), serverSql_.c_str(),
        3, Firebird::IStatement::PREPARE_PREFETCH_METADATA);
    status.Check();
    handle_ = handle;
    try {
        auto input = std::make_unique<detail::InputMessage>();
        input->described.reset(handle->getInputMetadata(&status));
        status.Check();
        input->values.resize(paramNames_.size());
        const unsigned markers = input->described->getCount(&status);
        status.Check();
        // Markers the text did not name (those of a routine's text sent
        // unchanged) stay NULL.
        markerParams_.resize(markers, kNoParam);
        Ref<Firebird::IMessageMetadata> output(handle->getOutputMetadata(&status));
        status.Check();
        output_ = std::make_shared<detail::OutputLayout>(detail::DescribeOutput(output.get()));
        hasCursor_ = (handle->getFlags(&status) & Firebird::IStatement::FLAG_HAS_CURSOR) != 0;
        status.Check();
        input_ = std::move(input);
        transaction.Commit();
    } catch (...) {
        Unprepare();
        throw;
    }
}

void Statement::Unprepare() noexcept {
    CloseCursor();
    if (handle_ != nullptr) {
        Status status;
        handle_->free(&status);  // releases the handle when it succeeds
        if (status.Failed()) handle_->release();
        handle_ = nullptr;
    }
    input_.reset();
    output_.reset();
    hasCursor_ = false;
}

void Statement::CloseCursor() noexcept {
    if (cursor_ != nullptr) cursor_->Close();
}

ParamValue& Statement::Value(std::string_view name) {
    const std::size_t index = ParamIndex(name);
    return input_->values[index];
}

std::size_t Statement::ParamIndex(std::string_view name) const {
    if (input_ == nullptr) throw FbError("The statement is not prepared");
    for (std::size_t i = 0; i < paramNames_.size(); ++i) {
        if (SameTextIgnoringCase(paramNames_[i], name)) return i;
    }
    throw FbError("Unknown parameter :" + std::string(name) + " in: " + sql_);
}

void Statement::SetString(std::string_view name, std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<std::uint16_t>::max()) {
        throw FbError("Parameter :" + std::string(name) + " is longer than 65535 bytes");
    }
    ParamValue& value = Value(name);
    value.kind = ParamValue::Kind::Text;
    value.text.assign(bytes);
}

void Statement::SetInt(std::string_view name, std::int32_t value) {
    ParamValue& param = Value(name);
    param.kind = ParamValue::Kind::Int32;
    param.integer = value;
}

void Statement::SetInt64(std::string_view name, std::int64_t value) {
    ParamValue& param = Value(name);
    param.kind = ParamValue::Kind::Int64;
    param.integer = value;
}

void Statement::SetDouble(std::string_view name, double value) {
    ParamValue& param = Value(name);
    param.kind = ParamValue::Kind::Double;
    param.real = value;
}

void Statement::SetDate(std::string_view name, const QDate& value) {
    ParamValue& param = Value(name);
    if (!value.isValid()) {
        param.kind = ParamValue::Kind::Null;
        return;
    }
    param.kind = ParamValue::Kind::Date;
    param.integer = value.toJulianDay() - detail::kJulianDayOfDateZero;
}

void Statement::SetDateTime(std::string_view name, const QDateTime& value) {
    ParamValue& param = Value(name);
    if (!value.isValid()) {
        param.kind = ParamValue::Kind::Null;
        return;
    }
    param.kind = ParamValue::Kind::Timestamp;
    param.integer = value.date().toJulianDay() - detail::kJulianDayOfDateZero;
    param.time =
        static_cast<std::uint32_t>(value.time().msecsSinceStartOfDay()) * detail::kTimeUnitsPerMs;
}

void Statement::SetNull(std::string_view name) {
    Value(name).kind = ParamValue::Kind::Null;
}

void Statement::ClearParams() {
    if (input_ == nullptr) return;
    for (ParamValue& value : input_->values) value = ParamValue{};
}

Firebird::ITransaction* Statement::CheckTransaction(Transaction& transaction) const {
    if (handle_ == nullptr) throw FbError("The statement is not prepared: " + sql_);
    if (transaction.attachment_ != attachment_) {
        throw FbError("The transaction belongs to another connection");
    }
    if (transaction.handle_ == nullptr) throw FbError("The transaction is not active");
    return transaction.handle_;
}

// Builds the input message from the parameter values. The metadata the server
// described is coerced to the types of the values (the server converts them
// to the columns' types); it is rebuilt only when a value no longer fits the
// last one built.
void Statement::PrepareInput() {
    detail::InputMessage& in = *input_;
    const std::size_t markers = markerParams_.size();
    if (markers == 0) return;
    Status status;

    static const ParamValue kNull;
    auto valueOf = [&](std::size_t marker) -> const ParamValue& {
        const std::size_t index = markerParams_[marker];
        return index == kNoParam ? kNull : in.values[index];
    };

    bool fits = in.coerced != nullptr;
    for (std::size_t i = 0; fits && i < markers; ++i) {
        const ParamValue& value = valueOf(i);
        const auto [type, length] = in.coercedShape[i];
        if (value.kind == ParamValue::Kind::Null) continue;  // any type carries a NULL
        const auto wanted = ShapeOf(value, type, length);
        fits = wanted.first == type &&
               (type == SQL_VARYING ? wanted.second <= length : wanted.second == length);
    }

    if (!fits) {
        Ref<Firebird::IMetadataBuilder> builder(in.described->getBuilder(&status));
        status.Check();
        std::vector<std::pair<unsigned, unsigned>> shape(markers);
        for (std::size_t i = 0; i < markers; ++i) {
            const unsigned index = static_cast<unsigned>(i);
            const unsigned describedType = in.described->getType(&status, index) & ~1u;
            const unsigned describedLength = in.described->getLength(&status, index);
            const unsigned describedCharSet = in.described->getCharSet(&status, index);
            status.Check();
            const ParamValue& value = valueOf(i);
            shape[i] = ShapeOf(value, describedType, describedLength);
            if (value.kind == ParamValue::Kind::Null) continue;
            if (shape[i].first == SQL_VARYING) {
                // Room for longer texts later, so the metadata is rarely rebuilt.
                const unsigned room = IsText(describedType) ? describedLength : 0;
                shape[i].second = std::max({shape[i].second, room, 32u});
            }
            // The length must be set with the type: the builder keeps the old
            // one, and a wrong length garbles the value without an error.
            builder->setType(&status, index, shape[i].first + 1);
            builder->setLength(&status, index, shape[i].second);
            builder->setScale(&status, index, 0);
            builder->setSubType(&status, index, 0);
            // Texts keep the column's character set so their bytes are stored
            // unchanged; other values convert from plain bytes.
            builder->setCharSet(
                &status, index,
                IsText(describedType) && shape[i].first == SQL_VARYING ? describedCharSet : 0);
            status.Check();
        }
        in.coerced.reset(builder->getMetadata(&status));
        status.Check();
        in.coercedShape = std::move(shape);
        in.offsets.resize(markers);
        for (std::size_t i = 0; i < markers; ++i) {
            const unsigned index = static_cast<unsigned>(i);
            in.offsets[i] = {in.coerced->getOffset(&status, index),
                             in.coerced->getNullOffset(&status, index)};
        }
        const unsigned length = in.coerced->getMessageLength(&status);
        status.Check();
        in.buffer.assign(length, 0);
    }

    for (std::size_t i = 0; i < markers; ++i) {
        const ParamValue& value = valueOf(i);
        const auto [offset, nullOffset] = in.offsets[i];
        const bool isNull = value.kind == ParamValue::Kind::Null;
        Put<std::int16_t>(in.buffer, nullOffset, isNull ? -1 : 0);
        switch (value.kind) {
            case ParamValue::Kind::Null:
                break;
            case ParamValue::Kind::Text:
                Put<std::uint16_t>(in.buffer, offset,
                                   static_cast<std::uint16_t>(value.text.size()));
                std::memcpy(in.buffer.data() + offset + 2, value.text.data(), value.text.size());
                break;
            case ParamValue::Kind::Int32:
                Put<std::int32_t>(in.buffer, offset, static_cast<std::int32_t>(value.integer));
                break;
            case ParamValue::Kind::Int64:
                Put<std::int64_t>(in.buffer, offset, value.integer);
                break;
            case ParamValue::Kind::Double:
                Put<double>(in.buffer, offset, value.real);
                break;
            case ParamValue::Kind::Date:
                Put<ISC_DATE>(in.buffer, offset, static_cast<ISC_DATE>(value.integer));
                break;
            case ParamValue::Kind::Timestamp:
                Put<ISC_DATE>(in.buffer, offset, static_cast<ISC_DATE>(value.integer));
                Put<ISC_TIME>(in.buffer, offset + sizeof(ISC_DATE), value.time);
                break;
        }
    }
}

std::int64_t Statement::Execute(Transaction& transaction) {
    Firebird::ITransaction* tra = CheckTransaction(transaction);
    CloseCursor();
    PrepareInput();
    detail::InputMessage& in = *input_;
    Firebird::IMessageMetadata* inMeta = markerParams_.empty() ? nullptr : in.coerced.get();
    void* inBuffer = markerParams_.empty() ? nullptr : in.buffer.data();
    Status status;
    if (hasCursor_) {
        Firebird::IResultSet* rs =
            handle_->openCursor(&status, tra, inMeta, inBuffer, output_->metadata.get(), 0);
        status.Check();
        // The client defers the opening until the first fetch; fetching one
        // row makes the server run the statement (and report its failure).
        std::vector<unsigned char> row(output_->length);
        rs->fetchNext(&status, row.data());
        if (status.Failed()) {
            rs->release();
            status.Raise();
        }
        rs->close(&status);  // releases it when it succeeds
        if (status.Failed()) rs->release();
        return 0;
    }
    std::vector<unsigned char> outBuffer(output_->length);
    handle_->execute(&status, tra, inMeta, inBuffer,
                     output_->fields.empty() ? nullptr : output_->metadata.get(),
                     outBuffer.empty() ? nullptr : outBuffer.data());
    status.Check();
    const ISC_UINT64 rows = handle_->getAffectedRecords(&status);
    status.Check();
    return static_cast<std::int64_t>(rows);
}

ResultSet Statement::Open(Transaction& transaction) {
    Firebird::ITransaction* tra = CheckTransaction(transaction);
    CloseCursor();
    PrepareInput();
    detail::InputMessage& in = *input_;
    Firebird::IMessageMetadata* inMeta = markerParams_.empty() ? nullptr : in.coerced.get();
    void* inBuffer = markerParams_.empty() ? nullptr : in.buffer.data();
    auto cursor = std::make_unique<detail::Cursor>(*this, transaction, output_);
    if (hasCursor_) {
        cursor->resultSet =
            handle_->openCursor(&cursor->status, tra, inMeta, inBuffer, output_->metadata.get(), 0);
        cursor->status.Check();
        cursor->Fetch();
    } else if (!output_->fields.empty()) {
        handle_->execute(&cursor->status, tra, inMeta, inBuffer, output_->metadata.get(),
                         cursor->row.data());
        cursor->status.Check();
        cursor->hasRow = true;
    } else {
        handle_->execute(&cursor->status, tra, inMeta, inBuffer, nullptr, nullptr);
        cursor->status.Check();
    }
    return ResultSet(std::move(cursor));
}

}  // namespace rubso::fb
