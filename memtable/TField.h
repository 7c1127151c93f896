// A field object: the named, typed column of a dataset through which values of the
// current record are read and written. The field holds no value of its own; it asks its
// dataset for the bytes of the record the dataset calls current (the edit copy while
// editing). Text is UTF-8; a text field's Size counts code points, and a cut never splits
// a character. Null and the empty text are different values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "memtable/TFieldType.h"

class TDataSet;

class TField {
public:
    TField(TFieldType type, int size = 0);
    virtual ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    // Properties. Setting a display property while the dataset is open tells the
    // bound controls (layout change).
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(std::string name) { fieldName_ = std::move(name); }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size < 0 ? 0 : size; }
    bool Required() const { return required_; }
    void SetRequired(bool v) { required_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind k) { fieldKind_ = k; }
    const std::string& DisplayLabel() const { return displayLabel_; }
    void SetDisplayLabel(std::string label);
    /// DisplayLabel, or FieldName when there is no label.
    const std::string& DisplayName() const {
        return displayLabel_.empty() ? fieldName_ : displayLabel_;
    }
    int DisplayWidth() const { return displayWidth_; }
    void SetDisplayWidth(int width);
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(std::string mask) { editMask_ = std::move(mask); }
    const std::string& DefaultExpression() const { return defaultExpression_; }
    void SetDefaultExpression(std::string e) { defaultExpression_ = std::move(e); }
    bool Transliterate() const { return transliterate_; }
    void SetTransliterate(bool v) { transliterate_ = v; }
    /// 1-based position among the dataset's fields; 0 while not in a dataset.
    int FieldNo() const { return fieldNo_; }
    TDataSet* DataSet() const { return dataSet_; }

    // Values of the dataset's current record. Reading a closed dataset, a dataset with
    // no record, or a null value gives the empty text / zero.
    bool IsNull() const;
    /// Makes the value null (same checks as a write).
    void Clear();
    std::string StringValue() const;
    /// Text fields: cut at the first zero character and to Size code points. Other types
    /// convert the text to their value.
    void SetStringValue(std::string_view text);

    int32_t AsInteger() const;
    void SetAsInteger(int32_t v);
    int64_t AsLargeInt() const;
    void SetAsLargeInt(int64_t v);
    bool AsBoolean() const;
    void SetAsBoolean(bool v);
    double AsFloat() const;
    void SetAsFloat(double v);
    /// Currency in ten-thousandths.
    int64_t AsCurrency() const;
    void SetAsCurrency(int64_t tenThousandths);
    /// Days since 30 December 1899, time of day as the fraction.
    double AsDateTime() const;
    void SetAsDateTime(double v);
    /// The raw bytes of a byte, blob or text value.
    std::string AsBytes() const;
    void SetAsBytes(std::string_view bytes);

private:
    friend class TDataSet;
    bool ReadRaw(std::string& out) const;
    void WriteRaw(const std::string* bytes);
    void WriteRaw(const std::string_view* bytes);

    TDataSet* dataSet_ = nullptr;
    int fieldNo_ = 0;
    bool createdByTable_ = false;
    std::string fieldName_;
    TFieldType dataType_;
    int size_;
    bool required_ = false;
    bool readOnly_ = false;
    TFieldKind fieldKind_ = fkData;
    std::string displayLabel_;
    int displayWidth_ = 0;
    std::string editMask_;
    std::string defaultExpression_;
    bool transliterate_ = true;
};
