-- The room level (hidden): its hooks announce themselves.

function room_init()
    if set_no_check_win_by_script_c then set_no_check_win_by_script_c(true) end
    announce("room_init")
end

function room_update()
    return 0
end

function room_ON_ENTER()
    announce("room_ON_ENTER")
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
