<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="section_general">
        <source>General</source>
        <translation>General</translation>
    </message>
    <message id="section_appearance">
        <source>Appearance</source>
        <translation>Appearance</translation>
    </message>
    <message id="section_history">
        <source>History</source>
        <translation>History</translation>
    </message>
    <message id="section_language">
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message id="section_permissions">
        <source>Permissions</source>
        <translation>Permissions</translation>
    </message>
    <message id="section_about">
        <source>About</source>
        <translation>About</translation>
    </message>
    <message id="preferences_general_title">
        <source>General</source>
        <translation>General</translation>
    </message>
    <message id="preferences_launch_at_login">
        <source>Launch at login</source>
        <translation>Launch at login</translation>
    </message>
    <message id="preferences_rich_text_label">
        <source>Paste with formatting</source>
        <translation>Paste with formatting</translation>
    </message>
    <message id="preferences_rich_text_description">
        <source>Pastes text with its rich-text (RTF) or HTML formatting when the copy had it.</source>
        <translation>Pastes text with its rich-text (RTF) or HTML formatting when the copy had it.</translation>
    </message>
    <message id="preferences_click_sound">
        <source>Play a sound when pasting with a click</source>
        <translation>Play a sound when pasting with a click</translation>
    </message>
    <message id="shake_to_open">
        <source>Shake the mouse to open</source>
        <translation>Shake the mouse to open</translation>
    </message>
    <message id="shake_modifier_label">
        <source>Hold while shaking</source>
        <translation>Hold while shaking</translation>
    </message>
    <message id="modifier_shift">
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message id="modifier_command">
        <source>Super</source>
        <translation>Super</translation>
    </message>
    <message id="modifier_option">
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message id="shake_modifier_description">
        <source>Shake the pointer left and right while holding this key to open the history.</source>
        <translation>Shake the pointer left and right while holding this key to open the history.</translation>
    </message>
    <message id="empty_history_hint_with_shortcut">
        <source>Copy something, it will be here. Open this panel with %1</source>
        <translation>Copy something, it will be here. Open this panel with %1</translation>
    </message>
    <message id="empty_history_hint">
        <source>Copy something, it will be here.</source>
        <translation>Copy something, it will be here.</translation>
    </message>
    <message id="search_no_match">
        <source>No item matches your search.</source>
        <translation>No item matches your search.</translation>
    </message>
    <message id="preferences_shortcut_label">
        <source>Shortcut</source>
        <translation>Shortcut</translation>
    </message>
    <message id="preferences_shortcut_description">
        <source>Click the field and press the new key combination.</source>
        <translation>Click the field and press the new key combination.</translation>
    </message>
    <message id="preferences_shortcut_warning">
        <source>Only a letter or a digit works as the key. Press Esc to keep the current shortcut.</source>
        <translation>Only a letter or a digit works as the key. Press Esc to keep the current shortcut.</translation>
    </message>
    <message id="shortcut_field_placeholder">
        <source>Record shortcut</source>
        <translation>Record shortcut</translation>
    </message>
    <message id="cancel_button_label">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="shortcut_field_help">
        <source>Click to record a new shortcut for opening the history</source>
        <translation>Click to record a new shortcut for opening the history</translation>
    </message>
    <message id="launch_error_title">
        <source>Could not change launch at login</source>
        <translation>Could not change launch at login</translation>
    </message>
    <message id="launch_error_message">
        <source>Ovelin could not update its autostart entry. Check that your autostart folder can be written.</source>
        <translation>Ovelin could not update its autostart entry. Check that your autostart folder can be written.</translation>
    </message>
    <message id="ok_button_label">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="preferences_history_title">
        <source>History</source>
        <translation>History</translation>
    </message>
    <message id="preferences_history_limit_label">
        <source>Items to keep</source>
        <translation>Items to keep</translation>
    </message>
    <message id="preferences_history_description">
        <source>Pinned items do not count toward the limit. The oldest items are removed when it is reached.</source>
        <translation>Pinned items do not count toward the limit. The oldest items are removed when it is reached.</translation>
    </message>
    <message id="preferences_history_not_saved_notice">
        <source>Ovelin could not read the history file %1 nor move it aside, so nothing you copy is saved until Ovelin is restarted. Move or repair that file, then restart Ovelin.</source>
        <translation>Ovelin could not read the history file %1 nor move it aside, so nothing you copy is saved until Ovelin is restarted. Move or repair that file, then restart Ovelin.</translation>
    </message>
    <message id="clear_history_button_title">
        <source>Clear History</source>
        <translation>Clear History</translation>
    </message>
    <message id="clear_history_button_subtitle">
        <source>Removes every item, pinned ones included.</source>
        <translation>Removes every item, pinned ones included.</translation>
    </message>
    <message id="clear_history_alert_title">
        <source>Do you really want to delete every item of the history? This cannot be undone.</source>
        <translation>Do you really want to delete every item of the history? This cannot be undone.</translation>
    </message>
    <message id="clear_history_alert_cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="clear_history_alert_confirm">
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message id="preferences_appearance_title">
        <source>Appearance</source>
        <translation>Appearance</translation>
    </message>
    <message id="appearance_style_picker_label">
        <source>Panel style</source>
        <translation>Panel style</translation>
    </message>
    <message id="appearance_option_classic">
        <source>Classic</source>
        <translation>Classic</translation>
    </message>
    <message id="appearance_option_modern">
        <source>Modern</source>
        <translation>Modern</translation>
    </message>
    <message id="appearance_style_description">
        <source>Classic keeps the panel at 400 × 600. Modern lets you drag its height and remembers it.</source>
        <translation>Classic keeps the panel at 400 × 600. Modern lets you drag its height and remembers it.</translation>
    </message>
    <message id="appearance_window_size_title">
        <source>Panel size</source>
        <translation>Panel size</translation>
    </message>
    <message id="appearance_window_size_description">
        <source>The modern panel remembers the height you gave it.</source>
        <translation>The modern panel remembers the height you gave it.</translation>
    </message>
    <message id="appearance_window_size_reset_button">
        <source>Reset Height</source>
        <translation>Reset Height</translation>
    </message>
    <message id="appearance_window_size_reset_help">
        <source>Return the panel to its default height of 600</source>
        <translation>Return the panel to its default height of 600</translation>
    </message>
    <message id="preferences_language_title">
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message id="preferences_language_picker_label">
        <source>Interface language</source>
        <translation>Interface language</translation>
    </message>
    <message id="language_option_system">
        <source>System default</source>
        <translation>System default</translation>
    </message>
    <message id="language_option_english">
        <source>English</source>
        <translation>English</translation>
    </message>
    <message id="language_option_portuguese">
        <source>Português</source>
        <translation>Português</translation>
    </message>
    <message id="preferences_language_note">
        <source>The change applies at once to every Ovelin window.</source>
        <translation>The change applies at once to every Ovelin window.</translation>
    </message>
    <message id="preferences_permissions_title">
        <source>Permissions</source>
        <translation>Permissions</translation>
    </message>
    <message id="permissions_accessibility_title">
        <source>Accessibility</source>
        <translation>Accessibility</translation>
    </message>
    <message id="permissions_accessibility_description">
        <source>Lets Ovelin press Ctrl+V for you in the application you came from (XTEST).</source>
        <translation>Lets Ovelin press Ctrl+V for you in the application you came from (XTEST).</translation>
    </message>
    <message id="permissions_input_monitoring_title">
        <source>Input Monitoring</source>
        <translation>Input Monitoring</translation>
    </message>
    <message id="permissions_input_monitoring_description">
        <source>Lets Ovelin notice the mouse shake anywhere on the screen (XInput 2, not available under Wayland).</source>
        <translation>Lets Ovelin notice the mouse shake anywhere on the screen (XInput 2, not available under Wayland).</translation>
    </message>
    <message id="permissions_request_button">
        <source>How to Enable…</source>
        <translation>How to Enable…</translation>
    </message>
    <message id="permissions_description_footer">
        <source>These are features of your X session. After enabling one, select this section again to check.</source>
        <translation>These are features of your X session. After enabling one, select this section again to check.</translation>
    </message>
    <message id="shake_unavailable_description">
        <source>Unavailable under Wayland: applications are not told how the pointer moves outside their own windows. Use the shortcut instead.</source>
        <translation>Unavailable under Wayland: applications are not told how the pointer moves outside their own windows. Use the shortcut instead.</translation>
    </message>
    <message id="permissions_pointer_unavailable_description">
        <source>Wayland does not tell applications how the pointer moves outside their own windows, so the mouse shake cannot work here. Nothing can be enabled for it.</source>
        <translation>Wayland does not tell applications how the pointer moves outside their own windows, so the mouse shake cannot work here. Nothing can be enabled for it.</translation>
    </message>
    <message id="permissions_clipboard_title">
        <source>Clipboard Access</source>
        <translation>Clipboard Access</translation>
    </message>
    <message id="permissions_clipboard_found">
        <source>The compositor lets Ovelin watch and set the clipboard in the background (data-control).</source>
        <translation>The compositor lets Ovelin watch and set the clipboard in the background (data-control).</translation>
    </message>
    <message id="permissions_clipboard_missing">
        <source>This compositor offers no data-control protocol, so Ovelin cannot watch the clipboard here (GNOME and Weston today). The panel and the history you already have keep working.</source>
        <translation>This compositor offers no data-control protocol, so Ovelin cannot watch the clipboard here (GNOME and Weston today). The panel and the history you already have keep working.</translation>
    </message>
    <message id="permissions_paste_title">
        <source>Paste</source>
        <translation>Paste</translation>
    </message>
    <message id="permissions_paste_found">
        <source>Ovelin presses Ctrl+V (Ctrl+Shift+V in terminals) for you through a virtual keyboard.</source>
        <translation>Ovelin presses Ctrl+V (Ctrl+Shift+V in terminals) for you through a virtual keyboard.</translation>
    </message>
    <message id="permissions_paste_missing">
        <source>The compositor offers no virtual keyboard, so Ovelin cannot press the paste keys: press Ctrl+V yourself after choosing an item.</source>
        <translation>The compositor offers no virtual keyboard, so Ovelin cannot press the paste keys: press Ctrl+V yourself after choosing an item.</translation>
    </message>
    <message id="permissions_paste_desktop_entry_missing">
        <source>KWin lets only an installed Ovelin press the paste keys and see the window in front. This copy is not the one its desktop entry names: write an entry for it, then start Ovelin again.</source>
        <translation>KWin lets only an installed Ovelin press the paste keys and see the window in front. This copy is not the one its desktop entry names: write an entry for it, then start Ovelin again.</translation>
    </message>
    <message id="permissions_desktop_entry_written">
        <source>Entry written: start Ovelin again</source>
        <translation>Entry written: start Ovelin again</translation>
    </message>
    <message id="permissions_desktop_entry_failed">
        <source>Could not write the entry: %1</source>
        <translation>Could not write the entry: %1</translation>
    </message>
    <message id="permissions_desktop_entry_button">
        <source>Write Desktop Entry</source>
        <translation>Write Desktop Entry</translation>
    </message>
    <message id="permissions_shortcut_title">
        <source>Global Shortcut</source>
        <translation>Global Shortcut</translation>
    </message>
    <message id="permissions_shortcut_found">
        <source>Ovelin binds its shortcut through the compositor (sway) or the desktop portal.</source>
        <translation>Ovelin binds its shortcut through the compositor (sway) or the desktop portal.</translation>
    </message>
    <message id="permissions_shortcut_missing">
        <source>Neither the compositor nor the desktop portal binds shortcuts for Ovelin: bind the command “%1” in your desktop's keyboard settings.</source>
        <translation>Neither the compositor nor the desktop portal binds shortcuts for Ovelin: bind the command “%1” in your desktop's keyboard settings.</translation>
    </message>
    <message id="permissions_shortcut_taken">
        <source>The desktop's own configuration already uses these keys, so Ovelin left them alone: choose another shortcut in General, or free the keys in the desktop's settings.</source>
        <translation>The desktop's own configuration already uses these keys, so Ovelin left them alone: choose another shortcut in General, or free the keys in the desktop's settings.</translation>
    </message>
    <message id="permissions_placement_title">
        <source>Panel at the Pointer</source>
        <translation>Panel at the Pointer</translation>
    </message>
    <message id="permissions_placement_found">
        <source>The compositor moves the panel to the pointer (sway).</source>
        <translation>The compositor moves the panel to the pointer (sway).</translation>
    </message>
    <message id="permissions_placement_missing">
        <source>The compositor does not let Ovelin place its window: the panel opens centred on the screen.</source>
        <translation>The compositor does not let Ovelin place its window: the panel opens centred on the screen.</translation>
    </message>
    <message id="permissions_session_footer">
        <source>These are features of your Wayland compositor. After changing compositor or its settings, restart Ovelin to check again.</source>
        <translation>These are features of your Wayland compositor. After changing compositor or its settings, restart Ovelin to check again.</translation>
    </message>
    <message id="Ovelin">
        <source>Ovelin</source>
        <translation>Ovelin</translation>
    </message>
    <message id="about_description">
        <source>Your clipboard history, one shortcut away.</source>
        <translation>Your clipboard history, one shortcut away.</translation>
    </message>
    <message id="check_updates_button">
        <source>Check for Updates…</source>
        <translation>Check for Updates…</translation>
    </message>
    <message id="check_updates_automatically">
        <source>Check for updates automatically</source>
        <translation>Check for updates automatically</translation>
    </message>
    <message id="official_site">
        <source>Official Site</source>
        <translation>Official Site</translation>
    </message>
    <message id="privacy_policy">
        <source>Privacy Policy</source>
        <translation>Privacy Policy</translation>
    </message>
    <message id="send_feedback">
        <source>Send Feedback</source>
        <translation>Send Feedback</translation>
    </message>
    <message id="credits_title">
        <source>Credits</source>
        <translation>Credits</translation>
    </message>
    <message id="credit_development">
        <source>Development: the Ovelin team</source>
        <translation>Development: the Ovelin team</translation>
    </message>
    <message id="credit_icons">
        <source>Icons: drawn for Ovelin</source>
        <translation>Icons: drawn for Ovelin</translation>
    </message>
    <message id="credit_community">
        <source>Community: everyone who reports bugs and suggests ideas</source>
        <translation>Community: everyone who reports bugs and suggests ideas</translation>
    </message>
    <message id="credit_special_thanks">
        <source>Special thanks: the Qt and X.Org projects</source>
        <translation>Special thanks: the Qt and X.Org projects</translation>
    </message>
    <message id="about_explore_title">
        <source>Explore</source>
        <translation>Explore</translation>
    </message>
    <message id="about_explore_tintrove_title">
        <source>Tintrove</source>
        <translation>Tintrove</translation>
    </message>
    <message id="about_explore_tintrove_tagline">
        <source>Collect and organise the colours you love.</source>
        <translation>Collect and organise the colours you love.</translation>
    </message>
    <message id="about_explore_learn_more">
        <source>Learn More</source>
        <translation>Learn More</translation>
    </message>
    <message id="update_up_to_date_title">
        <source>You're up to date</source>
        <translation>You're up to date</translation>
    </message>
    <message id="update_up_to_date_message">
        <source>Ovelin %1 is the newest version available.</source>
        <translation>Ovelin %1 is the newest version available.</translation>
    </message>
    <message id="update_available_title">
        <source>A new version of Ovelin is available</source>
        <translation>A new version of Ovelin is available</translation>
    </message>
    <message id="update_available_message">
        <source>Version %1 is available. You have version %2.</source>
        <translation>Version %1 is available. You have version %2.</translation>
    </message>
    <message id="update_download_button">
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message id="update_later_button">
        <source>Later</source>
        <translation>Later</translation>
    </message>
    <message id="update_error_title">
        <source>Could not check for updates</source>
        <translation>Could not check for updates</translation>
    </message>
    <message id="update_error_message">
        <source>The update check failed: %1</source>
        <translation>The update check failed: %1</translation>
    </message>
    <message id="search_placeholder">
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message id="copy_again">
        <source>Copy Again</source>
        <translation>Copy Again</translation>
    </message>
    <message id="pin_to_top">
        <source>Pin to Top</source>
        <translation>Pin to Top</translation>
    </message>
    <message id="unpin">
        <source>Unpin</source>
        <translation>Unpin</translation>
    </message>
    <message id="delete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="resize_window_accessibility_label">
        <source>Resize window</source>
        <translation>Resize window</translation>
    </message>
    <message id="file_group_count">
        <source>%n files</source>
        <translation>%n files</translation>
    </message>
    <message id="file_group_more">
        <source>+%n</source>
        <translation>+%n</translation>
    </message>
    <message id="menu_show">
        <source>Show History</source>
        <translation>Show History</translation>
    </message>
    <message id="menu_preferences">
        <source>Preferences…</source>
        <translation>Preferences…</translation>
    </message>
    <message id="menu_quit">
        <source>Quit Ovelin</source>
        <translation>Quit Ovelin</translation>
    </message>
    <message id="preferences_max_item_size_label">
        <source>Largest copy to keep</source>
        <translation>Largest copy to keep</translation>
    </message>
    <message id="preferences_encrypt_history_label">
        <source>Encrypt the history file</source>
        <translation>Encrypt the history file</translation>
    </message>
    <message id="preferences_encrypt_history_caption">
        <source>The history file on disk is encrypted with a key kept in the desktop&apos;s keyring (Secret Service). Without the keyring, that session&apos;s history stays in memory and the file is left as it is.</source>
        <translation>The history file on disk is encrypted with a key kept in the desktop&apos;s keyring (Secret Service). Without the keyring, that session&apos;s history stays in memory and the file is left as it is.</translation>
    </message>
    <message id="preferences_max_item_size_caption">
        <source>Copies larger than this are not kept in the history.</source>
        <translation>Copies larger than this are not kept in the history.</translation>
    </message>
    <message id="preferences_ignored_apps_label">
        <source>Ignored applications</source>
        <translation>Ignored applications</translation>
    </message>
    <message id="preferences_ignored_apps_caption">
        <source>Nothing copied in these applications is kept. Choose a running application or type its name.</source>
        <translation>Nothing copied in these applications is kept. Choose a running application or type its name.</translation>
    </message>
    <message id="preferences_ignored_apps_placeholder">
        <source>Application name</source>
        <translation>Application name</translation>
    </message>
    <message id="preferences_ignored_apps_add">
        <source>Add</source>
        <translation>Add</translation>
    </message>
    <message id="preferences_ignored_apps_remove">
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message id="tray_capture_paused">
        <source>Ovelin: capture paused</source>
        <translation>Ovelin: capture paused</translation>
    </message>
    <message id="menu_pause_15_minutes">
        <source>Pause capture for 15 minutes</source>
        <translation>Pause capture for 15 minutes</translation>
    </message>
    <message id="menu_pause_1_hour">
        <source>Pause capture for 1 hour</source>
        <translation>Pause capture for 1 hour</translation>
    </message>
    <message id="menu_pause_until_resumed">
        <source>Pause capture until I resume it</source>
        <translation>Pause capture until I resume it</translation>
    </message>
    <message id="menu_resume_capture">
        <source>Resume capture</source>
        <translation>Resume capture</translation>
    </message>
    <message id="sensitive_kind_private_key">
        <source>Private key</source>
        <translation>Private key</translation>
    </message>
    <message id="sensitive_kind_github_token">
        <source>GitHub token</source>
        <translation>GitHub token</translation>
    </message>
    <message id="sensitive_kind_gitlab_token">
        <source>GitLab token</source>
        <translation>GitLab token</translation>
    </message>
    <message id="sensitive_kind_slack_token">
        <source>Slack token</source>
        <translation>Slack token</translation>
    </message>
    <message id="sensitive_kind_aws_access_key">
        <source>AWS access key</source>
        <translation>AWS access key</translation>
    </message>
    <message id="sensitive_kind_stripe_key">
        <source>Stripe key</source>
        <translation>Stripe key</translation>
    </message>
    <message id="sensitive_kind_google_api_key">
        <source>Google API key</source>
        <translation>Google API key</translation>
    </message>
    <message id="sensitive_kind_json_web_token">
        <source>JSON Web Token</source>
        <translation>JSON Web Token</translation>
    </message>
    <message id="sensitive_kind_bearer_token">
        <source>Bearer token</source>
        <translation>Bearer token</translation>
    </message>
    <message id="sensitive_kind_card_number">
        <source>Card number</source>
        <translation>Card number</translation>
    </message>
    <message id="reveal_secret">
        <source>Reveal</source>
        <translation>Reveal</translation>
    </message>
    <message id="hide_secret">
        <source>Hide</source>
        <translation>Hide</translation>
    </message>
    <message id="preferences_sensitive_minutes_label">
        <source>Keep copied secrets for</source>
        <translation>Keep copied secrets for</translation>
    </message>
    <message id="preferences_sensitive_minutes_caption">
        <source>Copies holding a private key, a token or a card number stay in memory only, masked in the panel, and are forgotten after this time. 0: they are not kept at all.</source>
        <translation>Copies holding a private key, a token or a card number stay in memory only, masked in the panel, and are forgotten after this time. 0: they are not kept at all.</translation>
    </message>
    <message id="preferences_sensitive_kinds_label">
        <source>Secrets recognised</source>
        <translation>Secrets recognised</translation>
    </message>
    <message id="preferences_sensitive_kinds_caption">
        <source>A kind left unchecked is kept like any other text.</source>
        <translation>A kind left unchecked is kept like any other text.</translation>
    </message>
    <message id="gnome_extension_missing_line">
        <source>⚠️ GNOME Shell extension not found: turn it on with %1 (after a first install, log out and in again)</source>
        <translation>⚠️ GNOME Shell extension not found: turn it on with %1 (after a first install, log out and in again)</translation>
    </message>
    <message id="gnome_extension_gone_line">
        <source>⚠️ The GNOME Shell extension is gone: Ovelin waits for it to come back</source>
        <translation>⚠️ The GNOME Shell extension is gone: Ovelin waits for it to come back</translation>
    </message>
    <message id="gnome_extension_version_line">
        <source>⚠️ The GNOME Shell extension speaks interface version %1, this Ovelin %2: install the same release of both</source>
        <translation>⚠️ The GNOME Shell extension speaks interface version %1, this Ovelin %2: install the same release of both</translation>
    </message>
    <message id="gnome_extension_call_failed_line">
        <source>⚠️ GNOME Shell extension: %1 failed (%2)</source>
        <translation>⚠️ GNOME Shell extension: %1 failed (%2)</translation>
    </message>
    <message id="gnome_shortcut_refused_line">
        <source>⚠️ GNOME Shell refused the shortcut %1</source>
        <translation>⚠️ GNOME Shell refused the shortcut %1</translation>
    </message>
    <message id="permissions_extension_title">
        <source>GNOME Shell extension</source>
        <translation>GNOME Shell extension</translation>
    </message>
    <message id="permissions_extension_found">
        <source>The extension ovelin@ovelin.app gives Ovelin the clipboard, the paste keys, the window in front, the panel's place and the shortcut.</source>
        <translation>The extension ovelin@ovelin.app gives Ovelin the clipboard, the paste keys, the window in front, the panel's place and the shortcut.</translation>
    </message>
    <message id="permissions_extension_missing">
        <source>Turn the extension on with %1 in a terminal. After a first install, log out and in again so that GNOME Shell finds it.</source>
        <translation>Turn the extension on with %1 in a terminal. After a first install, log out and in again so that GNOME Shell finds it.</translation>
    </message>
    <message id="permissions_extension_mismatch">
        <source>The extension speaks another interface version than this Ovelin: install the same release of both, then log out and in again.</source>
        <translation>The extension speaks another interface version than this Ovelin: install the same release of both, then log out and in again.</translation>
    </message>
</context>
</TS>
