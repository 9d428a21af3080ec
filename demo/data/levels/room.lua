-- The room level (hidden): its hooks announce themselves.

function room_init()
    set_callback_for_element("lock", "drop_mouse_element()")
    announce("room_init")
end

function room_update()
    return 0
end

function room_ON_ENTER()
    announce("room_ON_ENTER")
    set_no_check_win_by_script_c(true, "room")
end

function room_ON_LEAVE()
    announce("room_ON_LEAVE")
end

function room_on_hint()
    return 0
end

function room_ON_SKIP()
    announce("room_ON_SKIP")
    return 1
end
