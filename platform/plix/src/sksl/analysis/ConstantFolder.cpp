#include "sksl/analysis/ConstantFolder.h"

#include "sksl/ir/BinaryExpression.h"
#include "sksl/ir/Constructor.h"
#include "sksl/ir/FieldAccess.h"
#include "sksl/ir/IndexExpression.h"
#include "sksl/ir/IntrinsicCall.h"
#include "sksl/ir/Literal.h"
#include "sksl/ir/Program.h"
#include "sksl/ir/Swizzle.h"
#include "sksl/ir/TernaryExpression.h"
#include "sksl/ir/Type.h"
#include "sksl/ir/UnaryExpression.h"
#include "sksl/ir/VariableReference.h"

#include <cmath>

namespace plix::sksl::ConstantFolder {

double Normalize(const Type& t, double v) {
    switch (t.numberKind()) {
        case Type::NumberKind::Float:
            return static_cast<double>(static_cast<float>(v));
        case Type::NumberKind::Int: {
            if (!std::isfinite(v)) return 0;
            double w = std::fmod(std::trunc(v), 4294967296.0);
            int64_t i = static_cast<int64_t>(w);
            return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(i)));
        }
        case Type::NumberKind::Bool:
            return v != 0 ? 1 : 0;
        default:
            return v;
    }
}

bool IsConstantExpression(const Expression& e) {
    switch (e.kind()) {
        case IRKind::Literal:
            return true;
        case IRKind::VariableReference: {
            const Variable& v = e.as<VariableReference>().variable();
            return v.isConst() && v.constValue() != nullptr;
        }
        case IRKind::Binary: {
            const auto& b = e.as<BinaryExpression>();
            if (IsAssignment(b.op()) || b.op() == Operator::Comma) return false;
            return IsConstantExpression(b.left()) && IsConstantExpression(b.right());
        }
        case IRKind::Prefix: {
            const auto& p = e.as<PrefixExpression>();
            if (p.op() == Operator::PlusPlus || p.op() == Operator::MinusMinus) return false;
            return IsConstantExpression(p.operand());
        }
        case IRKind::Ternary: {
            const auto& t = e.as<TernaryExpression>();
            return IsConstantExpression(t.test()) && IsConstantExpression(t.ifTrue()) &&
                   IsConstantExpression(t.ifFalse());
        }
        case IRKind::Constructor:
            for (const Expression* a : e.as<Constructor>().arguments()) {
                if (!IsConstantExpression(*a)) return false;
            }
            return true;
        case IRKind::IntrinsicCall:
            for (const Expression* a : e.as<IntrinsicCall>().arguments()) {
                if (!IsConstantExpression(*a)) return false;
            }
            return true;
        case IRKind::Swizzle:
            return IsConstantExpression(e.as<Swizzle>().base());
        case IRKind::Index:
            return IsConstantExpression(e.as<IndexExpression>().base()) &&
                   IsConstantExpression(e.as<IndexExpression>().index());
        case IRKind::FieldAccess:
            return IsConstantExpression(e.as<FieldAccess>().base());
        default:
            return false;
    }
}

namespace {

bool binaryValues(const BinaryExpression& b, std::vector<double>* out) {
    std::vector<double> l, r;
    if (!GetValues(b.left(), &l) || !GetValues(b.right(), &r)) return false;
    const Type& lt = b.left().type();
    const Type& rt = b.right().type();
    Operator op = b.op();
    // Equality over whole values.
    if (op == Operator::EqEq || op == Operator::Neq) {
        if (l.size() != r.size()) return false;
        bool eq = l == r;
        out->assign(1, (op == Operator::EqEq) == eq ? 1.0 : 0.0);
        return true;
    }
    if (op == Operator::AmpAmp || op == Operator::PipePipe || op == Operator::CaretCaret) {
        bool a = l[0] != 0, c = r[0] != 0;
        bool v = op == Operator::AmpAmp ? (a && c) : op == Operator::PipePipe ? (a || c) : (a != c);
        out->assign(1, v ? 1.0 : 0.0);
        return true;
    }
    if (op == Operator::Star && (lt.isMatrix() || rt.isMatrix()) &&
        !(lt.isScalar() || rt.isScalar())) {
        // Linear-algebra products: columns of the result.
        int rows = lt.isMatrix() ? lt.rows() : 1;
        int inner = lt.isMatrix() ? lt.columns() : lt.columns();
        int cols = rt.isMatrix() ? rt.columns() : 1;
        if (lt.isVector()) {  // v * M: one row
            rows = 1;
            inner = lt.columns();
        }
        out->assign(static_cast<size_t>(rows * cols), 0.0);
        for (int c = 0; c < cols; ++c) {
            for (int rr = 0; rr < rows; ++rr) {
                double s = 0;
                for (int k = 0; k < inner; ++k) {
                    double a = lt.isVector() ? l[k] : l[k * rows + rr];
                    double bv = rt.isVector() ? r[k] : r[c * inner + k];
                    s += a * bv;
                }
                (*out)[c * rows + rr] = Normalize(b.type(), s);
            }
        }
        return true;
    }
    size_t n = std::max(l.size(), r.size());
    out->resize(n);
    bool isInt = lt.isInt();
    for (size_t i = 0; i < n; ++i) {
        double a = l[l.size() == 1 ? 0 : i];
        double c = r[r.size() == 1 ? 0 : i];
        double v;
        switch (op) {
            case Operator::Plus: v = a + c; break;
            case Operator::Minus: v = a - c; break;
            case Operator::Star: v = a * c; break;
            case Operator::Slash:
                if (isInt) {
                    if (c == 0) return false;
                    v = std::trunc(a / c);
                } else {
                    v = static_cast<float>(a) / static_cast<float>(c);
                }
                break;
            case Operator::Lt: v = a < c; break;
            case Operator::Lte: v = a <= c; break;
            case Operator::Gt: v = a > c; break;
            case Operator::Gte: v = a >= c; break;
            default: return false;
        }
        (*out)[i] = Normalize(b.type(), v);
    }
    return true;
}

bool constructorValues(const Constructor& c, std::vector<double>* out) {
    const Type& t = c.type();
    std::vector<std::vector<double>> args;
    for (const Expression* a : c.arguments()) {
        args.emplace_back();
        if (!GetValues(*a, &args.back())) return false;
    }
    out->clear();
    switch (c.form()) {
        case Constructor::Form::Splat:
            out->assign(t.slotCount(), Normalize(t, args[0][0]));
            return true;
        case Constructor::Form::Compound:
        case Constructor::Form::Struct:
            for (auto& a : args) {
                for (double v : a) out->push_back(c.form() == Constructor::Form::Struct ? v
                                                                                      : Normalize(t, v));
            }
            return static_cast<int>(out->size()) == t.slotCount();
        case Constructor::Form::Cast:
            for (double v : args[0]) out->push_back(Normalize(t, v));
            return true;
        case Constructor::Form::DiagonalMatrix: {
            int n = t.columns();
            out->assign(n * n, 0.0);
            for (int i = 0; i < n; ++i) (*out)[i * n + i] = Normalize(t, args[0][0]);
            return true;
        }
        case Constructor::Form::MatrixResize: {
            int n = t.columns();
            int m = c.arguments()[0]->type().columns();
            out->assign(n * n, 0.0);
            for (int col = 0; col < n; ++col) {
                for (int row = 0; row < n; ++row) {
                    (*out)[col * n + row] = (col < m && row < m) ? args[0][col * m + row]
                                                                 : (col == row ? 1.0 : 0.0);
                }
            }
            return true;
        }
    }
    return false;
}

}  // namespace

bool GetValues(const Expression& e, std::vector<double>* out) {
    switch (e.kind()) {
        case IRKind::Literal:
            out->assign(1, e.as<Literal>().value());
            return true;
        case IRKind::VariableReference: {
            const Variable& v = e.as<VariableReference>().variable();
            if (!v.isConst() || !v.constValue()) return false;
            if (v.constValuesTried()) {
                if (v.constValues().empty()) return false;
                *out = v.constValues();
                return true;
            }
            return GetValues(*v.constValue(), out);
        }
        case IRKind::Binary:
            if (IsAssignment(e.as<BinaryExpression>().op()) ||
                e.as<BinaryExpression>().op() == Operator::Comma) {
                return false;
            }
            return binaryValues(e.as<BinaryExpression>(), out);
        case IRKind::Prefix: {
            const auto& p = e.as<PrefixExpression>();
            if (!GetValues(p.operand(), out)) return false;
            if (p.op() == Operator::Minus) {
                for (double& v : *out) v = Normalize(e.type(), -v);
            } else if (p.op() == Operator::Bang) {
                for (double& v : *out) v = v != 0 ? 0 : 1;
            } else if (p.op() != Operator::Plus) {
                return false;
            }
            return true;
        }
        case IRKind::Ternary: {
            const auto& t = e.as<TernaryExpression>();
            std::vector<double> test;
            if (!GetValues(t.test(), &test)) return false;
            return GetValues(test[0] != 0 ? t.ifTrue() : t.ifFalse(), out);
        }
        case IRKind::Constructor:
            return constructorValues(e.as<Constructor>(), out);
        case IRKind::Swizzle: {
            const auto& s = e.as<Swizzle>();
            std::vector<double> base;
            if (!GetValues(s.base(), &base)) return false;
            out->clear();
            for (int8_t c : s.components()) {
                out->push_back(c == Swizzle::kZero ? 0.0 : c == Swizzle::kOne ? 1.0 : base[c]);
            }
            return true;
        }
        case IRKind::Index: {
            const auto& ix = e.as<IndexExpression>();
            std::vector<double> base;
            int64_t i;
            if (!GetValues(ix.base(), &base) || !GetInt(ix.index(), &i)) return false;
            int stride = e.type().slotCount();
            if (i < 0 || (i + 1) * stride > static_cast<int64_t>(base.size())) return false;
            out->assign(base.begin() + i * stride, base.begin() + (i + 1) * stride);
            return true;
        }
        case IRKind::FieldAccess: {
            const auto& f = e.as<FieldAccess>();
            std::vector<double> base;
            if (!GetValues(f.base(), &base)) return false;
            int offset = 0;
            const auto& fields = f.base().type().fields();
            for (int k = 0; k < f.fieldIndex(); ++k) offset += fields[k].type->slotCount();
            int n = e.type().slotCount();
            out->assign(base.begin() + offset, base.begin() + offset + n);
            return true;
        }
        default:
            return false;
    }
}

bool GetInt(const Expression& e, int64_t* out) {
    if (!e.type().isScalar() || !e.type().isInt()) return false;
    std::vector<double> v;
    if (!GetValues(e, &v) || v.size() != 1) return false;
    *out = static_cast<int64_t>(v[0]);
    return true;
}

Expression* FoldBinary(Program& program, Position pos, const Type& resultType,
                       const Expression& left, Operator op, const Expression& right) {
    if (!left.is<Literal>() || !right.is<Literal>() || !resultType.isScalar()) return nullptr;
    if (op == Operator::Comma || IsAssignment(op)) return nullptr;
    double a = left.as<Literal>().value();
    double b = right.as<Literal>().value();
    bool isInt = left.type().isInt();
    double v;
    switch (op) {
        case Operator::Plus: v = a + b; break;
        case Operator::Minus: v = a - b; break;
        case Operator::Star: v = a * b; break;
        case Operator::Slash:
            if (b == 0) return nullptr;
            v = isInt ? std::trunc(a / b) : double(float(a) / float(b));
            break;
        case Operator::Lt: v = a < b; break;
        case Operator::Lte: v = a <= b; break;
        case Operator::Gt: v = a > b; break;
        case Operator::Gte: v = a >= b; break;
        case Operator::EqEq: v = a == b; break;
        case Operator::Neq: v = a != b; break;
        case Operator::AmpAmp: v = (a != 0) && (b != 0); break;
        case Operator::PipePipe: v = (a != 0) || (b != 0); break;
        case Operator::CaretCaret: v = (a != 0) != (b != 0); break;
        default: return nullptr;
    }
    return program.make<Literal>(pos, &resultType, Normalize(resultType, v));
}

Expression* FoldPrefix(Program& program, Position pos, Operator op, const Expression& operand) {
    if (!operand.is<Literal>()) return nullptr;
    double v = operand.as<Literal>().value();
    switch (op) {
        case Operator::Minus: v = Normalize(operand.type(), -v); break;
        case Operator::Plus: break;
        case Operator::Bang: v = v != 0 ? 0 : 1; break;
        default: return nullptr;
    }
    return program.make<Literal>(pos, &operand.type(), v);
}

}  // namespace plix::sksl::ConstantFolder
