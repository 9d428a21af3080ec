#pragma once
// Callback objects: an owner and one of its member functions; firing calls the member on the
// owner. The holder deletes the object after use.
namespace app_helpers {

class BaseCallBack {
public:
    virtual void fire() = 0;
    virtual ~BaseCallBack() = default;
};

template <class Owner>
class CallBack : public BaseCallBack {
public:
    using Member = void (Owner::*)();
    CallBack(Owner* owner, Member member) : m_owner(owner), m_member(member) {}
    void fire() override {
        if (m_owner && m_member) (m_owner->*m_member)();
    }

private:
    Owner* m_owner;
    Member m_member;
};

}  // namespace app_helpers
